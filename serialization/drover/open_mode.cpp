// The table of access modes of a "drover" URL.
#include "open_mode.h"

#include <cstring>
#include <string_view>

namespace drover {
namespace {

struct ModeRow {
  std::string_view text;
  orvela::platform::FileOpenMode mode;
};

constexpr ModeRow kModes[] = {
    {"r", {.read = true}},
    {"w", {.write = true, .create = true, .truncate = true}},
    {"a", {.write = true, .create = true, .append = true}},
    {"r+", {.read = true, .write = true, .create = true}},
    {"w+", {.read = true, .write = true, .create = true, .truncate = true}},
    {"a+", {.read = true, .write = true, .create = true, .append = true}},
};

constexpr orvela::platform::FileOpenMode kNoMode = {.read = true, .write = true, .create = true, .truncate = true};

}  // namespace

bool ParseOpenMode(const char* extra, orvela::platform::FileOpenMode* mode) {
  const char* at = extra != nullptr ? std::strstr(extra, "mode=\"") : nullptr;
  if (at == nullptr) {
    *mode = kNoMode;
    return true;
  }
  at += 6;
  const char* end = std::strchr(at, '"');
  if (end == nullptr) return false;
  const std::string_view text(at, static_cast<size_t>(end - at));
  for (const ModeRow& row : kModes) {
    if (row.text == text) {
      *mode = row.mode;
      return true;
    }
  }
  return false;
}

}  // namespace drover
