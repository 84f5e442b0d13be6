// Safe file replacement through a sibling temporary file and rename.
#include "file_replace.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvela::platform {

std::string DescriptorPath(int fd) {
  if (fd < 0) return {};
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char target[PATH_MAX];
  const ssize_t n = readlink(link, target, sizeof target - 1);
  if (n <= 0) return {};
  std::string path(target, static_cast<size_t>(n));
  // Pipes, sockets and removed files have no name to replace.
  if (path[0] != '/' || path.ends_with(" (deleted)")) return {};
  return path;
}

int CreateSiblingTemp(const std::string& path, std::string* temp_path) {
  if (path.empty() || temp_path == nullptr) return -1;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string pattern = folder + "." + name + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkostemp(buffer.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) fchmod(fd, info.st_mode & 07777);
  temp_path->assign(buffer.data());
  return fd;
}

bool CommitReplacement(const std::string& temp_path, const std::string& path) {
  if (rename(temp_path.c_str(), path.c_str()) != 0) return false;
  // The rename lives in the folder; sync it so that it survives a crash.
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

}  // namespace orvela::platform
