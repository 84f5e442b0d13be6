// Low-level file handles: the counterparts of the C runtime's _open, _read,
// _write, _lseek, _chsize and _close.  Every function keeps errno as the
// system set it, so a caller can report the failure (perror).
#ifndef ORVELA_PLATFORM_FILE_IO_H
#define ORVELA_PLATFORM_FILE_IO_H

#include <cstddef>
#include <cstdint>

namespace orvela::platform {

// How a file is opened.
struct FileOpenMode {
  bool read = false;
  bool write = false;
  bool create = false;    // create a missing file, readable and writable by its owner
  bool truncate = false;  // empty an existing file
  bool append = false;    // every write goes to the end
};

// Opens `path` as `mode` says.  Returns the descriptor, or -1.
int OpenFile(const char* path, const FileOpenMode& mode);

// Reads up to `count` bytes, retrying after signals.  Returns the number read,
// 0 at the end of the file, or -1.
long ReadFile(int fd, void* buffer, size_t count);

// Writes all `count` bytes, continuing after partial writes and signals.
// Returns `count`, the number written before a failure, or -1 when nothing
// could be written.
long WriteFile(int fd, const void* buffer, size_t count);

// Returns the current position of the descriptor, or -1 when it has none.
int64_t FilePosition(int fd);

// Moves the position to `offset` from the start.  Returns true on success.
bool SeekFile(int fd, int64_t offset);

// Cuts (or extends) the file to `length` bytes.  Returns true on success.
bool TruncateFile(int fd, int64_t length);

// Forces the file's data to the storage device.  Returns true on success.
bool SyncFile(int fd);

// Returns true when the descriptor was opened for reading only.
bool IsReadOnly(int fd);

// Closes the descriptor.  Returns true on success.
bool CloseFile(int fd);

}  // namespace orvela::platform

#endif
