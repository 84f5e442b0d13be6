// The container library, loaded at run time from "./kepr.so" (relative to
// the working directory) on first use and never unloaded.
#ifndef TAVIO_KEPR_LIBRARY_H
#define TAVIO_KEPR_LIBRARY_H

namespace orvela::tavio {

// The file the container library is loaded from.
inline constexpr const char* kKeprLibraryPath = "./kepr.so";

// Loads the container library if it is not loaded yet.  Returns true when it
// is loaded.  A failed load is retried by the next call.
bool LoadKeprLibrary();

// Returns the address of the container library's export `name`, looked up on
// its first use and remembered for the life of the process; null when the
// library cannot be loaded or lacks the function.
void* KeprFunction(const char* name);

// The container function `name` as a pointer of type Fn, or null.
template <typename Fn>
Fn KeprFunctionAs(const char* name) {
  return reinterpret_cast<Fn>(KeprFunction(name));
}

}  // namespace orvela::tavio

#endif
