/*
 * drover: the file transport of comm for URLs "drover://...".  The URL names
 * a local file (the host followed directly by the path, at most 127
 * characters: "drover:///opt/x/s.xml" is /opt/x/s.xml, "drover://s.xml" is
 * s.xml in the working directory) and its access mode, written as mode="..."
 * in the extra information:
 *
 *   mode   opens for           creates  empties  appends
 *   r      reading             no       no       no
 *   w      writing             yes      yes      no
 *   a      writing             yes      no       yes
 *   r+     reading and writing yes      no       no
 *   w+     reading and writing yes      yes      no
 *   a+     reading and writing yes      no       yes
 *   none   reading and writing yes      yes      no
 *
 * Any other mode value (unlisted, longer than two characters, or without its
 * closing quote) is refused like a file that cannot be opened, rather than
 * guessed, since the fallback would empty the file.  Created files are
 * readable and writable by their owner.
 *
 * Every function takes the comm handle first and returns a 32-bit status.
 */
#ifndef DROVER_H
#define DROVER_H

#include "comm.h"
#include "export.h"

ORVELA_EXTERN_C_BEGIN

/* Result codes, each defined once: symbol, value, meaning. */
#define DROVER_CODES(X)                                                                     \
  X(DROVER_OK, 0, "no error")                                                               \
  X(DROVER_E_FAILED, -1, "the URL cannot be split, or the file cannot be read or written")  \
  X(DROVER_E_OPEN, -4, "the file cannot be opened")                                         \
  X(DROVER_E_CLOSE, -8, "the descriptor could not be closed, or none was open")             \
  X(DROVER_E_IOCTL, -13, "CommIoctl is not supported")                                      \
  X(DROVER_E_END, -15, "end of the file")
enum DroverResultCode {
#define DROVER_CODE_ENUM_(symbol, value, text) symbol = value,
  DROVER_CODES(DROVER_CODE_ENUM_)
#undef DROVER_CODE_ENUM_
};

/* Ordinal 1.  Cuts the file at the current position (when it is known), then
 * closes it; the handle's descriptor becomes -1.  Returns 0 or DROVER_E_CLOSE. */
ORVELA_EXPORT int CommClose(CommHandle* handle);

/* Ordinal 2.  The same as CommClose. */
ORVELA_EXPORT int CommDestroy(CommHandle* handle);

/* Ordinal 3.  CommBaseGetMessage with the same arguments and result. */
ORVELA_EXPORT int CommGetMessage(CommHandle* handle, int* type, void* buffer, int size);

/* Ordinal 4.  CommBaseGetMessageSize with the same arguments and result. */
ORVELA_EXPORT int CommGetMessageSize(CommHandle* handle, int* size);

/* Ordinal 5.  Opens the file of the URL already decoded into the handle:
 * the state fields become 1, 0, 0 and the descriptor is stored.
 * Returns 0, or DROVER_E_OPEN with the message (descriptor unchanged). */
ORVELA_EXPORT int CommInit(CommHandle* handle);

/* Ordinal 6.  Not supported.  Returns DROVER_E_IOCTL. */
ORVELA_EXPORT int CommIoctl(CommHandle* handle, int request, void* argument);

/* Ordinal 7.  Decodes `url` into the handle, then opens as CommInit.
 * Returns 0, DROVER_E_FAILED or DROVER_E_OPEN. */
ORVELA_EXPORT int CommOpen(CommHandle* handle, const char* url);

/* Ordinal 8.  Opens the file of the handle's URL again, as CommInit; on
 * success a descriptor still open is closed (without cutting the file).
 * Returns 0 or DROVER_E_OPEN. */
ORVELA_EXPORT int CommReOpen(CommHandle* handle);

/* Ordinal 9.  Reads up to count bytes.  Returns the number read,
 * DROVER_E_END at the end of the file, or DROVER_E_FAILED on error. */
ORVELA_EXPORT int CommRead(CommHandle* handle, void* buffer, int count);

/* Ordinal 10.  CommBaseSendMessage with the same arguments and result. */
ORVELA_EXPORT int CommSendMessage(CommHandle* handle, int type, const void* data, int size);

/* Ordinal 11.  CommBaseSendMessageAppend with the same arguments and result. */
ORVELA_EXPORT int CommSendMessageAppend(CommHandle* handle, const void* data, int size);

/* Ordinal 12.  Writes count bytes.  Returns the number written (fewer than
 * count when the disk fills), or DROVER_E_FAILED when nothing could be written. */
ORVELA_EXPORT int CommWrite(CommHandle* handle, const void* buffer, int count);

ORVELA_EXTERN_C_END

#endif
