// The process environment: the counterpart of the C runtime's _putenv.
#ifndef ORVELA_PLATFORM_ENVIRONMENT_H
#define ORVELA_PLATFORM_ENVIRONMENT_H

namespace orvela::platform {

// Sets the environment variable `name` to `value` for this process and the
// programs it starts, replacing any earlier value.  Returns true on success.
bool SetEnvironmentValue(const char* name, const char* value);

}  // namespace orvela::platform

#endif
