// The set-up stage of the interpreter (Et_SetupInterp) and its pieces.
#include "setup.h"

#include <tk.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "builtin_fs.h"
#include "builtin_index.h"
#include "et.h"
#include "host_commands.h"
#include "host_internal.h"

namespace trendel::host {
namespace {

const Et_CommandEntry* g_app_commands = nullptr;
int g_app_command_count = 0;

// The last-resort error reporter: Tk's background-error dialog when there is
// one; otherwise the error information in a message box (or on standard
// error), and the program ends.
constexpr const char kBgerrorProc[] =
    "proc Et_Bgerror err {\n"
    "  global errorInfo\n"
    "  if {[info exists errorInfo]} {set info $errorInfo} else {set info {}}\n"
    "  if {![catch {bgerror $err}]} return\n"
    "  if {$info ne {}} {set err $info}\n"
    "  if {[catch {Et_MessageBox Error $err}]} {puts stderr $err}\n"
    "  exit\n"
    "}\n";

}  // namespace

void PrepareInterp(Tcl_Interp* interp) {
  InstallFileHooks();
  EnsureIndex();
  CreateFileCommands(interp);
  Et_Interp = interp;
  Tcl_SetVar(interp, "tcl_library", kTclLibraryDir, TCL_GLOBAL_ONLY);
  Tcl_SetVar(interp, "tcl_libPath", kTclLibraryDir, TCL_GLOBAL_ONLY);
  Tcl_SetVar2(interp, "env", "TCL_LIBRARY", kTclLibraryDir, TCL_GLOBAL_ONLY);
  Tcl_SetVar(interp, "tk_library", kTkLibraryDir, TCL_GLOBAL_ONLY);
  Tcl_SetVar2(interp, "env", "TK_LIBRARY", kTkLibraryDir, TCL_GLOBAL_ONLY);
  CreateMessageBoxCommand(interp);
  Tcl_EvalEx(interp, kBgerrorProc, -1, TCL_EVAL_GLOBAL);
  Tcl_ResetResult(interp);
}

void FinishInterp(Tcl_Interp* interp) {
  Tcl_UnlinkVar(interp, "Et_EvalTrace");
  Tcl_LinkVar(interp, "Et_EvalTrace", reinterpret_cast<char*>(&eval_trace), TCL_LINK_BOOLEAN);
  Tcl_SetVar(interp, "et_version", "3.11", TCL_GLOBAL_ONLY);
  Et_RegisterBuiltinFile("builtin:/console.tcl", kConsoleFiles[0].data, kConsoleFiles[0].size);
}

bool RequireTclInterface(Tcl_Interp* interp, const char* version) {
  // "8.6-8.7" accepts every 8.6 release and nothing else: the library
  // reports its patch level (8.6.13), which an exact "8.6" would refuse.
  int major = 0;
  int minor = 0;
  if (std::sscanf(version, "%d.%d", &major, &minor) != 2) return false;
  char range[64];
  std::snprintf(range, sizeof range, "%d.%d-%d.%d", major, minor, major, minor + 1);
  Tcl_Obj* requirement = Tcl_NewStringObj(range, -1);
  Tcl_IncrRefCount(requirement);
  const int code = Tcl_PkgRequireProc(interp, "Tcl", 1, &requirement, nullptr);
  Tcl_DecrRefCount(requirement);
  return code == TCL_OK;
}

void SetArgumentVariables(Tcl_Interp* interp, int argc, char** argv) {
  char* list = Tcl_Merge(argc - 1, argv + 1);
  Tcl_SetVar(interp, "argv", list, TCL_GLOBAL_ONLY);
  Tcl_Free(list);
  const std::string count = std::to_string(argc - 1);
  Tcl_SetVar(interp, "argc", count.c_str(), TCL_GLOBAL_ONLY);
  Tcl_SetVar(interp, "argv0", argv[0], TCL_GLOBAL_ONLY);
  Tcl_SetVar(interp, "tcl_interactive", "0", TCL_GLOBAL_ONLY);
}

std::string JoinCommandTail(int argc, char** argv) {
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) tail += ' ';
    tail += argv[i];
  }
  return tail;
}

std::string VersionMismatchMessage(Tcl_Interp* interp, const char* version) {
  const char* library = Tcl_GetVar(interp, "tcl_version", TCL_GLOBAL_ONLY);
  char* text = Et_FormatAlloc("Tcl header version (%s) does not match  Tcl library (%s)", version,
                              library != nullptr ? library : "");
  std::string message = text;
  Tcl_Free(text);
  return message;
}

}  // namespace trendel::host

namespace host = trendel::host;

extern "C" void Et_SetApplicationCommands(const Et_CommandEntry* table, int count) {
  host::g_app_commands = table;
  host::g_app_command_count = table != nullptr && count > 0 ? count : 0;
}

/*
 * Et_SetupInterp --
 *	The set-up stage, in its fixed order: hooks, index, host commands and
 *	variables, the Tcl library and its index, Tk and its index, the
 *	application commands, the trace link, et_version, the console script,
 *	and last the main script "gd.tcl".
 * Results:
 *	TCL_OK when the main script was sourced; TCL_ERROR after a failure,
 *	which has been handed to Et_Bgerror.
 * Side effects:
 *	Creates the main window "."; whatever the main script does.
 */
extern "C" int Et_SetupInterp(Tcl_Interp* interp) {
  host::PrepareInterp(interp);
  if (Tcl_Init(interp) == TCL_OK) {
    Et_EvalAtGlobalF(interp, "set dir $tcl_library;source $dir/tclIndex;unset dir");
    if (Tk_Init(interp) == TCL_OK) {
      Tcl_StaticPackage(interp, "Tk", Tk_Init, nullptr);
      Et_EvalAtGlobalF(interp, "set dir $tk_library;source $dir/tclIndex;unset dir");
      for (int i = 0; i < host::g_app_command_count; ++i)
        Tcl_CreateCommand(interp, host::g_app_commands[i].name, host::g_app_commands[i].proc, nullptr,
                          nullptr);
      host::FinishInterp(interp);
      if (Et_EvalF(interp, "source \"%q\"", "gd.tcl") == TCL_OK) return TCL_OK;
    }
  }
  Et_EvalF(interp, "Et_Bgerror \"%q\"", Tcl_GetStringResult(interp));
  return TCL_ERROR;
}
