// The pieces of the set-up stage, for the stage itself and for tests that
// build an interpreter without Tk or the main script.
#ifndef TRENDEL_SETUP_H
#define TRENDEL_SETUP_H

#include <tcl.h>

#include <string>

namespace trendel::host {

// The script the start-up sequence ends with: a binding that ends the process
// when the main window itself is destroyed, then events for ever.
extern const char kEventLoopScript[];

// Set-up steps before the Tcl library is initialised: file hooks, name index,
// Et_NewBuiltinFile and source, Et_Interp, the library variables,
// Et_MessageBox and the procedure Et_Bgerror.
void PrepareInterp(Tcl_Interp* interp);

// Set-up steps after the application commands: the Et_EvalTrace link,
// et_version and the console script.
void FinishInterp(Tcl_Interp* interp);

// Requires the Tcl package in the interface version `version` ("8.6": any
// 8.6 release, nothing else).  Returns true when the library satisfies it.
bool RequireTclInterface(Tcl_Interp* interp, const char* version);

// Sets the start-up variables: argv to the list of argv[1..argc-1], argc to
// their count in decimal, argv0 to argv[0] and tcl_interactive to "0".
void SetArgumentVariables(Tcl_Interp* interp, int argc, char** argv);

// The command-line tail of a program started by a shell: argv[1..argc-1]
// joined by single blanks (empty without arguments).
std::string JoinCommandTail(int argc, char** argv);

// The message shown when RequireTclInterface fails.
std::string VersionMismatchMessage(Tcl_Interp* interp, const char* version);

}  // namespace trendel::host

#endif
