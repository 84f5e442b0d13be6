// File access checks: the counterpart of the C runtime's _access.
#ifndef ORVELA_PLATFORM_FILE_ACCESS_H
#define ORVELA_PLATFORM_FILE_ACCESS_H

namespace orvela::platform {

// Access modes, combinable; 0 asks only whether the file exists.
inline constexpr int kAccessExists = 0;
inline constexpr int kAccessExecute = 1;
inline constexpr int kAccessWrite = 2;
inline constexpr int kAccessRead = 4;

// Checks whether the calling process may use `path` as `mode` asks.  Returns 0
// when it may, or -1 with errno set as the system set it.
int CheckAccess(const char* path, int mode);

}  // namespace orvela::platform

#endif
