// Starting other programs: the counterpart of the C runtime's system() for
// programs the product starts (the outside exporter, the help page opener),
// without a command interpreter in between.
#ifndef ORVELA_PLATFORM_PROCESS_H
#define ORVELA_PLATFORM_PROCESS_H

#include <string>
#include <vector>

namespace orvela::platform {

// Starts the program `args[0]` with the argument vector `args` (each element
// one argument, passed as it is: no shell splits, quotes or expands it) and
// waits until it has finished.  A name without a slash is searched on PATH.
// Returns the program's exit status (0 to 255), 128 + the signal number when
// a signal ended it, or -1 when it could not be started (args empty, not
// found, not executable).
int RunProgramAndWait(const std::vector<std::string>& args);

}  // namespace orvela::platform

#endif
