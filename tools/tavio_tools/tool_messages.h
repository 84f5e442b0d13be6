// Texts the data file tools print for the library's result codes.
#ifndef TAVIO_TOOLS_TOOL_MESSAGES_H
#define TAVIO_TOOLS_TOOL_MESSAGES_H

#include <string>

#include "tavio_codes.h"

namespace tavio_tools {

// "message (code N)" for a result code of the library; negative codes come
// from the container library.
inline std::string Describe(int code) {
  const char* message = tavio_code_message(code);
  std::string text = message != nullptr ? message
                     : code < 0        ? "the container library reported a failure"
                                       : "unknown failure";
  return text + " (code " + std::to_string(code) + ")";
}

}  // namespace tavio_tools

#endif
