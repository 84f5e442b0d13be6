// The file-layer hooks that serve built-in files ahead of the disk.
#ifndef TRENDEL_BUILTIN_FS_H
#define TRENDEL_BUILTIN_FS_H

namespace trendel::host {

// Registers the built-in filesystem with the Tcl library (once per process):
// its stat, access and open procedures answer for built-in names, and for the
// directories beneath the library directories that hold them; every other
// name goes on to the real file system.
void InstallFileHooks();

// Tells the Tcl library that the set of built-in names changed, so that no
// path it has already classified keeps a stale answer.
void NoteBuiltinFilesChanged();

}  // namespace trendel::host

#endif
