// decodeurl: splits "scheme://host[:port]path[?...|#...]" into a DecodedUrl.
#include <cctype>
#include <cstring>
#include <string_view>

#include "ostrel.h"

namespace {

// Decodes %XX escapes of `in` into `out` (room bytes, NUL included).  A '%' not
// followed by two hex digits stays as it is.  Fails when the result does not
// fit or an escape decodes to NUL.
bool DecodeInto(std::string_view in, char* out, size_t room) {
  size_t n = 0;
  for (size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c == '%' && i + 2 < in.size() &&
        std::isxdigit(static_cast<unsigned char>(in[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(in[i + 2]))) {
      auto hex = [](char h) {
        const int u = std::tolower(static_cast<unsigned char>(h));
        return std::isdigit(u) ? u - '0' : u - 'a' + 10;
      };
      c = static_cast<char>(hex(in[i + 1]) * 16 + hex(in[i + 2]));
      if (c == '\0') return false;
      i += 2;
    }
    if (n + 1 >= room) return false;
    out[n++] = c;
  }
  out[n] = '\0';
  return true;
}

bool IsSchemeChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

}  // namespace

extern "C" int decodeurl(DecodedUrl* out, const char* url) {
  if (out == nullptr || url == nullptr) return -1;
  const std::string_view text(url);
  const size_t separator = text.find("://");
  if (separator == std::string_view::npos || separator == 0 || separator > OSTREL_SCHEME_MAX) return -1;
  const std::string_view scheme = text.substr(0, separator);
  for (char c : scheme) {
    if (!IsSchemeChar(c)) return -1;
  }

  std::string_view rest = text.substr(separator + 3);
  const size_t extra_at = rest.find_first_of("?#");
  const std::string_view extra = extra_at == std::string_view::npos ? std::string_view() : rest.substr(extra_at);
  rest = rest.substr(0, extra_at == std::string_view::npos ? rest.size() : extra_at);
  const size_t path_at = rest.find('/');
  const std::string_view path = path_at == std::string_view::npos ? std::string_view() : rest.substr(path_at);
  std::string_view authority = rest.substr(0, path_at == std::string_view::npos ? rest.size() : path_at);

  // A user name and password before '@' are not returned.
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) authority = authority.substr(at + 1);

  uint16_t port = 0;
  const size_t colon = authority.rfind(':');
  if (colon != std::string_view::npos) {
    const std::string_view digits = authority.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return -1;
    unsigned value = 0;
    for (char c : digits) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 65535) return -1;
    port = static_cast<uint16_t>(value);
    authority = authority.substr(0, colon);
  }

  // Decode into a local record first, so that a failure leaves *out untouched.
  DecodedUrl decoded;
  std::memset(&decoded, 0, sizeof decoded);
  std::memcpy(decoded.scheme, scheme.data(), scheme.size());
  if (!DecodeInto(authority, decoded.host, sizeof decoded.host) ||
      !DecodeInto(path, decoded.path, sizeof decoded.path) ||
      !DecodeInto(extra, decoded.extra, sizeof decoded.extra)) {
    return -1;
  }
  decoded.port = port;
  *out = decoded;
  return 0;
}
