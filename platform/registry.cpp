// The registry file reader (".reg" export form, read only).
#include "registry.h"

#include <cctype>
#include <cstdlib>
#include <fstream>

namespace orvela::platform {
namespace {

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// Parses a quoted ".reg" string starting at s[0] == '"'.  Sets *text and the
// number of characters consumed; false when the closing quote is missing.
bool ParseQuoted(std::string_view s, std::string* text, size_t* used) {
  text->clear();
  for (size_t i = 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\\' && i + 1 < s.size()) {
      text->push_back(s[++i]);
    } else if (c == '"') {
      *used = i + 1;
      return true;
    } else {
      text->push_back(c);
    }
  }
  return false;
}

}  // namespace

std::string RegistryFilePath() {
  const char* path = std::getenv("ORVELA_REGISTRY");
  return path != nullptr && path[0] != '\0' ? path : "/etc/orvela/registry.reg";
}

RegistryResult ReadRegistryString(std::string_view key, std::string_view value_name, size_t room,
                                  std::string* out) {
  std::ifstream in(RegistryFilePath());
  if (!in) return RegistryResult::kNoKey;
  bool key_found = false;
  bool in_key = false;
  std::string line;
  while (std::getline(in, line)) {
    const std::string_view text = Trim(line);
    if (text.empty() || text.front() == ';') continue;
    if (text.front() == '[') {
      in_key = text.back() == ']' && SameNoCase(text.substr(1, text.size() - 2), key);
      key_found = key_found || in_key;
      continue;
    }
    if (!in_key || text.front() != '"') continue;
    std::string name;
    size_t used = 0;
    if (!ParseQuoted(text, &name, &used) || !SameNoCase(name, value_name)) continue;
    std::string_view rest = Trim(text.substr(used));
    if (rest.empty() || rest.front() != '=') continue;
    rest = Trim(rest.substr(1));
    std::string value;
    if (rest.empty() || rest.front() != '"' || !ParseQuoted(rest, &value, &used) ||
        !Trim(rest.substr(used)).empty()) {
      return RegistryResult::kWrongType;
    }
    if (value.size() + 1 >= room) return RegistryResult::kTooLarge;
    *out = value;
    return RegistryResult::kOk;
  }
  return key_found ? RegistryResult::kNoValue : RegistryResult::kNoKey;
}

}  // namespace orvela::platform
