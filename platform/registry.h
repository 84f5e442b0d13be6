// Read-only registry: the counterpart of RegOpenKeyExA/RegQueryValueExA.  The
// registry is a text file in the Windows ".reg" export form, at the path in
// the environment variable ORVELA_REGISTRY, else /etc/orvela/registry.reg:
//
//   [HKEY_LOCAL_MACHINE\Software\JavaSoft\Java Runtime Environment]
//   "CurrentVersion"="1.3"
//
// Key and value names compare without regard to case.  A "name"="text" line is
// a plain string value (\\ and \" are its escapes); any other form (hex(2):,
// hex(7):, dword:, ...) is a value of another type.  A missing file is a
// missing key.
#ifndef ORVELA_PLATFORM_REGISTRY_H
#define ORVELA_PLATFORM_REGISTRY_H

#include <cstddef>
#include <string>
#include <string_view>

namespace orvela::platform {

// Outcome of a registry read.
enum class RegistryResult {
  kOk,         // the value was read
  kNoKey,      // no such key (or no registry file)
  kNoValue,    // the key has no value of that name
  kWrongType,  // the value is not a plain string
  kTooLarge,   // the value with its terminating NUL needs `room` bytes or more
};

// Returns the path of the registry file this process reads.
std::string RegistryFilePath();

// Reads the plain string value `value_name` of the key `key` (the full name,
// "HKEY_LOCAL_MACHINE\\Software\\...").  The value's size with its NUL must be
// smaller than a buffer of `room` bytes, so the text has at most room - 2
// characters.
// out: the text on kOk, untouched otherwise.
RegistryResult ReadRegistryString(std::string_view key, std::string_view value_name, size_t room,
                                  std::string* out);

}  // namespace orvela::platform

#endif
