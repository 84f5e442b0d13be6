// Process environment changes through setenv(3).
#include "environment.h"

#include <cstdlib>

namespace orvela::platform {

bool SetEnvironmentValue(const char* name, const char* value) {
  return setenv(name, value, 1) == 0;
}

}  // namespace orvela::platform
