// Replacing a file safely: the new content is written to a temporary file in
// the same folder and renamed over the old file only once it is complete, so
// a failure at any point leaves the old file as it was.
#ifndef ORVELA_PLATFORM_FILE_REPLACE_H
#define ORVELA_PLATFORM_FILE_REPLACE_H

#include <string>

namespace orvela::platform {

// Returns the path of the file an open descriptor refers to, or an empty
// string when it has none (a pipe, a deleted file).
std::string DescriptorPath(int fd);

// Creates a new, empty temporary file beside `path` (same folder, name
// ".<file name>.XXXXXX") with the permission bits of `path` when it exists.
// Returns its descriptor, opened for reading and writing, and stores its path
// in *temp_path; -1 on failure.
int CreateSiblingTemp(const std::string& path, std::string* temp_path);

// Renames `temp_path` over `path` in one step and makes the rename durable.
// Returns true on success; on failure `path` is unchanged.
bool CommitReplacement(const std::string& temp_path, const std::string& path);

// Removes the file `path`.  Returns true on success.
bool RemoveFile(const std::string& path);

}  // namespace orvela::platform

#endif
