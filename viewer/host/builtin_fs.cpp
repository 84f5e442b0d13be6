// Stat, access, open and directory listing for built-in names (Tcl_FSRegister).
#include "builtin_fs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "builtin_channel.h"
#include "builtin_index.h"
#include "et.h"
#include "file_access.h"

namespace trendel::host {
namespace {

namespace platform = orvela::platform;

bool g_installed = false;

// A claimed path is a built-in file or one of the library directories that
// hold built-in files.
int PathInFilesystem(Tcl_Obj* path, ClientData* /*client_data*/) {
  const char* name = Tcl_GetString(path);
  if (Et_FindBuiltinFile(name, nullptr) != nullptr || IsBuiltinDirectory(name)) return TCL_OK;
  return -1;
}

/*
 * StatProc --
 *	A built-in file reads as owner-readable (0400, no file-type bits) with
 *	its data size; a directory of built-in files as an owner-readable
 *	directory.  Everything else is zero.
 * Results:
 *	0, or -1 with errno ENOENT for a name that is no longer built in.
 * Side effects:
 *	Fills *buf.
 */
int StatProc(Tcl_Obj* path, Tcl_StatBuf* buf) {
  const char* name = Tcl_GetString(path);
  int size = 0;
  std::memset(buf, 0, sizeof *buf);
  if (Et_FindBuiltinFile(name, &size) != nullptr) {
    buf->st_mode = 0400;
    buf->st_size = size;
    return 0;
  }
  if (IsBuiltinDirectory(name)) {
    buf->st_mode = S_IFDIR | 0500;
    return 0;
  }
  errno = ENOENT;
  return -1;
}

// Read and existence checks are granted; write and execute are for the disk
// to decide.
int AccessProc(Tcl_Obj* path, int mode) {
  const char* name = Tcl_GetString(path);
  if ((mode & (platform::kAccessWrite | platform::kAccessExecute)) != 0)
    return platform::CheckAccess(name, mode);
  if (Et_FindBuiltinFile(name, nullptr) != nullptr || IsBuiltinDirectory(name)) return 0;
  return platform::CheckAccess(name, mode);
}

/*
 * OpenProc --
 *	Opens a built-in file as a readable "builtin" channel, whatever mode
 *	was asked for.
 * Results:
 *	The channel, or NULL (with a message in interp) for a directory.
 * Side effects:
 *	Advances the channel counter.
 */
Tcl_Channel OpenProc(Tcl_Interp* interp, Tcl_Obj* path, int /*mode*/, int /*permissions*/) {
  const char* name = Tcl_GetString(path);
  int size = 0;
  if (const char* data = Et_FindBuiltinFile(name, &size); data != nullptr)
    return OpenBuiltinChannel(data, size);
  Tcl_SetErrno(IsBuiltinDirectory(name) ? EISDIR : ENOENT);
  if (interp != nullptr)
    Tcl_SetObjResult(interp, Tcl_ObjPrintf("couldn't open \"%s\": %s", name, Tcl_PosixError(interp)));
  return nullptr;
}

// Whether an entry passes the glob type and permission filters.
bool PassesTypes(const char* entry, bool is_dir, const Tcl_GlobTypeData* types) {
  if (types == nullptr) return true;
  if (types->type != 0) {
    const bool want_dir = (types->type & TCL_GLOB_TYPE_DIR) != 0;
    const bool want_file = (types->type & TCL_GLOB_TYPE_FILE) != 0;
    if (!((is_dir && want_dir) || (!is_dir && want_file))) return false;
  }
  // Built-in entries are readable, never writable or executable by us.
  if ((types->perm & (TCL_GLOB_PERM_W | TCL_GLOB_PERM_X)) != 0) return false;
  const char* tail = std::strrchr(entry, '/');
  tail = tail != nullptr ? tail + 1 : entry;
  if ((types->perm & TCL_GLOB_PERM_HIDDEN) != 0 && tail[0] != '.') return false;
  return true;
}

/*
 * MatchInDirectoryProc --
 *	Lists the built-in files and directories inside a library directory
 *	that match `pattern` (or, without a pattern, the path itself).
 * Results:
 *	TCL_OK.
 * Side effects:
 *	Appends the matching paths to `result`.
 */
int MatchInDirectoryProc(Tcl_Interp* interp, Tcl_Obj* result, Tcl_Obj* path, const char* pattern,
                         Tcl_GlobTypeData* types) {
  // We mount nothing inside other file systems' directories.
  if (types != nullptr && (types->type & TCL_GLOB_TYPE_MOUNT) != 0) return TCL_OK;
  const char* name = Tcl_GetString(path);
  if (pattern == nullptr) {
    const bool is_file = Et_FindBuiltinFile(name, nullptr) != nullptr;
    if ((is_file || IsBuiltinDirectory(name)) && PassesTypes(name, !is_file, types))
      Tcl_ListObjAppendElement(interp, result, path);
    return TCL_OK;
  }
  const bool want_files = types == nullptr || types->type == 0 || (types->type & TCL_GLOB_TYPE_FILE) != 0;
  const bool want_dirs = types == nullptr || types->type == 0 || (types->type & TCL_GLOB_TYPE_DIR) != 0;
  for (bool dirs : {false, true}) {
    if ((dirs && !want_dirs) || (!dirs && !want_files)) continue;
    for (const std::string& entry : ListBuiltinDirectory(name, !dirs, dirs)) {
      const char* tail = std::strrchr(entry.c_str(), '/') + 1;
      // As on the disk, "*" does not match names that begin with a dot.
      if (tail[0] == '.' && pattern[0] != '.') continue;
      if (!Tcl_StringCaseMatch(tail, pattern, 0) || !PassesTypes(entry.c_str(), dirs, types)) continue;
      Tcl_Obj* tail_obj = Tcl_NewStringObj(tail, -1);
      Tcl_IncrRefCount(tail_obj);
      Tcl_ListObjAppendElement(interp, result, Tcl_FSJoinToPath(path, 1, &tail_obj));
      Tcl_DecrRefCount(tail_obj);
    }
  }
  return TCL_OK;
}

Tcl_Filesystem g_builtin_filesystem = {
    "builtin",
    sizeof(Tcl_Filesystem),
    TCL_FILESYSTEM_VERSION_1,
    PathInFilesystem,
    nullptr,  // dupInternalRep: no internal representation
    nullptr,  // freeInternalRep
    nullptr,  // internalToNormalized
    nullptr,  // createInternalRep
    nullptr,  // normalizePath: names are compared as given
    nullptr,  // filesystemPathType
    nullptr,  // filesystemSeparator: "/"
    StatProc,
    AccessProc,
    OpenProc,
    MatchInDirectoryProc,
    nullptr,  // utime
    nullptr,  // link
    nullptr,  // listVolumes
    nullptr,  // fileAttrStrings
    nullptr,  // fileAttrsGet
    nullptr,  // fileAttrsSet
    nullptr,  // createDirectory
    nullptr,  // removeDirectory
    nullptr,  // deleteFile
    nullptr,  // copyFile
    nullptr,  // renameFile
    nullptr,  // copyDirectory
    nullptr,  // lstat: stat answers
    nullptr,  // loadFile
    nullptr,  // getCwd
    nullptr,  // chdir
};

}  // namespace

void InstallFileHooks() {
  if (g_installed) return;
  g_installed = true;
  Tcl_FSRegister(nullptr, &g_builtin_filesystem);
}

void NoteBuiltinFilesChanged() {
  if (g_installed) Tcl_FSMountsChanged(&g_builtin_filesystem);
}

}  // namespace trendel::host
