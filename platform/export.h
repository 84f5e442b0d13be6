/* Marks the functions a library exports; everything else is hidden at link time. */
#ifndef ORVELA_PLATFORM_EXPORT_H
#define ORVELA_PLATFORM_EXPORT_H

#define ORVELA_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
#define ORVELA_EXTERN_C_BEGIN extern "C" {
#define ORVELA_EXTERN_C_END }
#else
#define ORVELA_EXTERN_C_BEGIN
#define ORVELA_EXTERN_C_END
#endif

#endif
