// File access checks through access(2).
#include "file_access.h"

#include <unistd.h>

namespace orvela::platform {

static_assert(kAccessExecute == X_OK && kAccessWrite == W_OK && kAccessRead == R_OK && kAccessExists == F_OK,
              "the access modes are the system's own bits");

int CheckAccess(const char* path, int mode) {
  return access(path, mode);
}

}  // namespace orvela::platform
