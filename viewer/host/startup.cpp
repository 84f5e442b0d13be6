// The start-up sequence of the viewer program (Et_Startup).
#include "builtin_index.h"
#include "environment.h"
#include "et.h"
#include "message_box.h"
#include "setup.h"

namespace trendel::host {

const char kEventLoopScript[] = "bind . <Destroy> {+if {\"%W\"==\".\"} exit}\nwhile 1 {vwait forever}";

}  // namespace trendel::host

/*
 * Et_Startup --
 *	Runs the start-up sequence of the program.
 * Results:
 *	The process status, 0 on every path that ends here.
 * Side effects:
 *	Changes the environment; creates the interpreter; runs the event loop.
 */
extern "C" int Et_Startup(int argc, char** argv) {
  namespace host = trendel::host;
  orvela::platform::SetEnvironmentValue("TCL_LIBRARY", host::kTclLibraryDir);
  orvela::platform::SetEnvironmentValue("TK_LIBRARY", host::kTkLibraryDir);
  Tcl_FindExecutable(argv[0]);
  Tcl_Interp* interp = Tcl_CreateInterp();

  if (!host::RequireTclInterface(interp, TCL_VERSION)) {
    // Tk is not up yet, so the error box takes its standard-error form.
    orvela::platform::ShowMessageOnStderr("Error", host::VersionMismatchMessage(interp, TCL_VERSION).c_str());
    Tcl_DeleteInterp(interp);
    return 0;
  }

  host::SetArgumentVariables(interp, argc, argv);

  Et_SetupInterp(interp);  // a failure that did not end the program goes on
  Tcl_EvalEx(interp, host::kEventLoopScript, -1, TCL_EVAL_GLOBAL);
  return 0;
}
