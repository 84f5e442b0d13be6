// Messages on standard error when no message box can be shown.
#include "message_box.h"

#include <cstdio>

namespace orvela::platform {

void ShowMessageOnStderr(const char* title, const char* text) {
  std::fprintf(stderr, "%s: %s\n", title != nullptr ? title : "", text != nullptr ? text : "");
  std::fflush(stderr);
}

}  // namespace orvela::platform
