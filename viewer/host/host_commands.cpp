// The host commands that serve built-in files and show message boxes.
#include "host_commands.h"

#include <tk.h>

#include <cstring>
#include <string>

#include "et.h"
#include "message_box.h"

namespace trendel::host {
namespace {

/*
 * NewBuiltinFileCmd --
 *	Et_NewBuiltinFile filename data: registers a copy of data's bytes
 *	(NUL appended) as the built-in file filename.
 * Results:
 *	TCL_OK with an empty result; TCL_ERROR with the standard
 *	wrong-number-of-arguments message.
 * Side effects:
 *	One Tcl_Alloc block for the data and one for the record, never freed.
 */
int NewBuiltinFileCmd(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  if (objc != 3) {
    Tcl_WrongNumArgs(interp, 1, objv, "filename data");
    return TCL_ERROR;
  }
  int length = 0;
  const unsigned char* bytes = Tcl_GetByteArrayFromObj(objv[2], &length);
  char* copy = Tcl_Alloc(static_cast<unsigned>(length) + 1);
  if (length > 0) std::memcpy(copy, bytes, static_cast<size_t>(length));
  copy[length] = '\0';
  Et_RegisterBuiltinFile(Tcl_GetString(objv[1]), copy, length);
  Tcl_ResetResult(interp);
  return TCL_OK;
}

// Sets `info script` to `name` and returns the previous value (owned).
Tcl_Obj* SwapScriptName(Tcl_Interp* interp, Tcl_Obj* name) {
  Tcl_Obj* words[3] = {Tcl_NewStringObj("info", -1), Tcl_NewStringObj("script", -1), name};
  for (Tcl_Obj* w : words) Tcl_IncrRefCount(w);
  Tcl_Obj* previous = nullptr;
  if (Tcl_EvalObjv(interp, 2, words, TCL_EVAL_GLOBAL) == TCL_OK)
    previous = Tcl_GetObjResult(interp);
  else
    previous = Tcl_NewObj();
  Tcl_IncrRefCount(previous);
  Tcl_EvalObjv(interp, 3, words, TCL_EVAL_GLOBAL);
  for (Tcl_Obj* w : words) Tcl_DecrRefCount(w);
  Tcl_ResetResult(interp);
  return previous;
}

// Restores `info script` without disturbing the result or return options.
void RestoreScriptName(Tcl_Interp* interp, Tcl_Obj* previous) {
  Tcl_InterpState saved = Tcl_SaveInterpState(interp, TCL_OK);
  Tcl_Obj* words[3] = {Tcl_NewStringObj("info", -1), Tcl_NewStringObj("script", -1), previous};
  for (Tcl_Obj* w : words) Tcl_IncrRefCount(w);
  Tcl_EvalObjv(interp, 3, words, TCL_EVAL_GLOBAL);
  for (Tcl_Obj* w : words) Tcl_DecrRefCount(w);
  Tcl_RestoreInterpState(interp, saved);
}

// The code a sourced script's "return" stands for: a plain return is OK,
// "return -code error" an error, and a return of a higher level passes on
// one level less (as the interpreter's own source does).
int ResolveReturn(Tcl_Interp* interp) {
  Tcl_Obj* options = Tcl_GetReturnOptions(interp, TCL_RETURN);
  Tcl_IncrRefCount(options);
  Tcl_Obj* level_key = Tcl_NewStringObj("-level", -1);
  Tcl_IncrRefCount(level_key);
  Tcl_Obj* level_obj = nullptr;
  int level = 1;
  if (Tcl_DictObjGet(nullptr, options, level_key, &level_obj) == TCL_OK && level_obj != nullptr)
    Tcl_GetIntFromObj(nullptr, level_obj, &level);
  if (Tcl_IsShared(options)) {
    Tcl_Obj* copy = Tcl_DuplicateObj(options);
    Tcl_IncrRefCount(copy);
    Tcl_DecrRefCount(options);
    options = copy;
  }
  Tcl_DictObjPut(nullptr, options, level_key, Tcl_NewIntObj(level > 0 ? level - 1 : 0));
  const int code = Tcl_SetReturnOptions(interp, options);
  Tcl_DecrRefCount(level_key);
  Tcl_DecrRefCount(options);
  return code;
}

/*
 * SourceCmd --
 *	source ?-encoding name? FILENAME: evaluates a built-in file at the
 *	caller's level, or the file on disk with the interpreter's own file
 *	evaluation.  The encoding option is accepted because the Tcl and Tk
 *	libraries use it; built-in texts are UTF-8 unless it names another.
 * Results:
 *	For a built-in file: TCL_ERROR with "(file "NAME" line N)" appended to
 *	the error information, or TCL_OK for every other outcome (return,
 *	break, continue) with the script's result; a "return -code error"
 *	counts as an error.  Otherwise the file evaluation's code.
 * Side effects:
 *	Whatever the script does; `info script` names the file meanwhile.
 */
int SourceCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  const char* encoding = nullptr;
  const char* file_name = nullptr;
  if (argc == 2) {
    file_name = argv[1];
  } else if (argc == 4 && std::strcmp(argv[1], "-encoding") == 0) {
    encoding = argv[2];
    file_name = argv[3];
  } else {
    Et_SetResultF(interp, "wrong # args: should be \"%s FILENAME\"", argv[0]);
    return TCL_ERROR;
  }

  int size = 0;
  const char* data = Et_FindBuiltinFile(file_name, &size);
  if (data == nullptr) {
    Tcl_Obj* path = Tcl_NewStringObj(file_name, -1);
    Tcl_IncrRefCount(path);
    const int code = Tcl_FSEvalFileEx(interp, path, encoding);
    Tcl_DecrRefCount(path);
    return code;
  }

  Tcl_DString converted;
  Tcl_DStringInit(&converted);
  const char* script = data;
  int script_length = size;
  if (encoding != nullptr && std::strcmp(encoding, "utf-8") != 0) {
    Tcl_Encoding chosen = Tcl_GetEncoding(interp, encoding);
    if (chosen == nullptr) return TCL_ERROR;  // the message names the unknown encoding
    script = Tcl_ExternalToUtfDString(chosen, data, size, &converted);
    script_length = Tcl_DStringLength(&converted);
    Tcl_FreeEncoding(chosen);
  }

  Tcl_Obj* name = Tcl_NewStringObj(file_name, -1);
  Tcl_IncrRefCount(name);
  Tcl_Obj* previous = SwapScriptName(interp, name);
  int code = Tcl_EvalEx(interp, script, script_length, 0);
  if (code == TCL_RETURN) code = ResolveReturn(interp);
  if (code == TCL_ERROR) {
    Tcl_AppendObjToErrorInfo(
        interp, Tcl_ObjPrintf("\n    (file \"%.150s\" line %d)", file_name, Tcl_GetErrorLine(interp)));
  } else if (code != TCL_RETURN) {
    code = TCL_OK;
  }
  RestoreScriptName(interp, previous);
  Tcl_DecrRefCount(previous);
  Tcl_DecrRefCount(name);
  Tcl_DStringFree(&converted);
  return code;
}

// Whether Tk's main window exists in `interp`, leaving the result alone.
bool TkIsUp(Tcl_Interp* interp) {
  Tcl_InterpState saved = Tcl_SaveInterpState(interp, TCL_OK);
  const bool up = Tcl_PkgPresent(interp, "Tk", nullptr, 0) != nullptr && Tk_MainWindow(interp) != nullptr;
  Tcl_RestoreInterpState(interp, saved);
  return up;
}

/*
 * MessageBoxCmd --
 *	Et_MessageBox ?title? ?message?: a modal error box with an OK button,
 *	tk_messageBox while Tk is up, else the title and text on standard
 *	error.  Further arguments are ignored.
 * Results:
 *	TCL_OK with an empty result, or the error of tk_messageBox.
 * Side effects:
 *	Waits until the user closes the box.
 */
int MessageBoxCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  const char* title = argc > 1 ? argv[1] : "Message...";
  const char* text = argc > 2 ? argv[2] : "(Empty Message)";
  if (!TkIsUp(interp)) {
    orvela::platform::ShowMessageOnStderr(title, text);
    Tcl_ResetResult(interp);
    return TCL_OK;
  }
  const char* words[] = {"tk_messageBox", "-icon", "error", "-type", "ok", "-title", title, "-message", text};
  Tcl_Obj* objv[9];
  for (int i = 0; i < 9; ++i) {
    objv[i] = Tcl_NewStringObj(words[i], -1);
    Tcl_IncrRefCount(objv[i]);
  }
  const int code = Tcl_EvalObjv(interp, 9, objv, TCL_EVAL_GLOBAL);
  for (Tcl_Obj* o : objv) Tcl_DecrRefCount(o);
  if (code != TCL_OK) return code;
  Tcl_ResetResult(interp);
  return TCL_OK;
}

}  // namespace

void CreateFileCommands(Tcl_Interp* interp) {
  Tcl_CreateObjCommand(interp, "Et_NewBuiltinFile", NewBuiltinFileCmd, nullptr, nullptr);
  Tcl_CreateCommand(interp, "source", SourceCmd, nullptr, nullptr);
}

void CreateMessageBoxCommand(Tcl_Interp* interp) {
  Tcl_CreateCommand(interp, "Et_MessageBox", MessageBoxCmd, nullptr, nullptr);
}

}  // namespace trendel::host
