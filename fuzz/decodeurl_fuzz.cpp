// Fuzz target for decodeurl: any bytes as a URL.  Checks that a success fills
// every part within its limit and that a failure leaves the output untouched.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ostrel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string url(reinterpret_cast<const char*>(data), size);  // cut at the first NUL by decodeurl
  DecodedUrl out;
  std::memset(&out, 0xA5, sizeof out);
  DecodedUrl before;
  std::memcpy(&before, &out, sizeof out);
  if (decodeurl(&out, url.c_str()) != 0) {
    if (std::memcmp(&out, &before, sizeof out) != 0) std::abort();
    return 0;
  }
  if (strnlen(out.scheme, sizeof out.scheme) > OSTREL_SCHEME_MAX || out.scheme[0] == '\0') std::abort();
  if (strnlen(out.host, sizeof out.host) >= sizeof out.host) std::abort();
  if (strnlen(out.path, sizeof out.path) >= sizeof out.path) std::abort();
  if (strnlen(out.extra, sizeof out.extra) >= sizeof out.extra) std::abort();
  if (out.extra[0] != '\0' && out.extra[0] != '?' && out.extra[0] != '#') std::abort();
  return 0;
}
