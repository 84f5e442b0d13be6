// The host's own Tcl commands: source, Et_NewBuiltinFile and Et_MessageBox.
#ifndef TRENDEL_HOST_COMMANDS_H
#define TRENDEL_HOST_COMMANDS_H

#include <tcl.h>

namespace trendel::host {

// Creates Et_NewBuiltinFile and the replacement source in `interp`.
void CreateFileCommands(Tcl_Interp* interp);

// Creates Et_MessageBox in `interp`.
void CreateMessageBoxCommand(Tcl_Interp* interp);

}  // namespace trendel::host

#endif
