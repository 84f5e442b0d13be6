// Loading shared libraries and resolving their functions: the counterparts of
// LoadLibraryA, GetProcAddress and GetModuleFileNameA.  Nothing is ever
// unloaded, so a handle stays valid for the life of the process.
#ifndef ORVELA_PLATFORM_DYNLIB_H
#define ORVELA_PLATFORM_DYNLIB_H

#include <string>
#include <string_view>

namespace orvela::platform {

// File name ending that turns a bare library name into its file name.
inline constexpr std::string_view kLibrarySuffix = ".so";

// Loads the library whose file is `file_name` (for example "basalt.so").  A name
// without a slash is looked for first in the folder of the library (or
// program) that calls this function, then through the dynamic linker's search
// (LD_LIBRARY_PATH, RUNPATH, the system paths); a name with a slash is a path,
// relative ones to the working directory.  Returns the module handle, or null
// when it cannot be loaded.  A library already loaded is returned again.
void* LoadLibraryFile(const char* file_name);

// Returns the address of the function `symbol` that `module` itself exports
// (not one of the libraries it depends on), or null when the module is null or
// has no such export.
void* ResolveSymbol(void* module, const char* symbol);

// Returns the absolute file name of the loaded module (library or program)
// that contains `address`, or an empty string when no module contains it.
std::string ModuleFileName(const void* address);

// Returns the text of the last loader error (empty when there is none); for
// diagnostics only.
std::string LastLoadError();

}  // namespace orvela::platform

#endif
