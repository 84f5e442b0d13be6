// Finding the Java runtime and its virtual machine library for the launcher.
#ifndef ORVELA_ORVELARUN_RUNTIME_H
#define ORVELA_ORVELARUN_RUNTIME_H

#include <string>
#include <string_view>
#include <vector>

namespace orvela::orvelarun {

// Room of every path the launcher forms, terminating NUL included: a longer
// path is treated as one that does not exist.
inline constexpr size_t kPathRoom = 256;

// Longest line of the VM list, and the most entries it yields.
inline constexpr size_t kVmLineMax = 255;
inline constexpr size_t kVmEntriesMax = 10;

// Exit codes of the launcher.
enum ExitCode {
  kExitOk = 0,            // a VM was created; the client ran or failed inside it
  kExitCreateFailed = 1,  // creating the VM failed
  kExitNoRuntime = 2,     // no Java runtime was found
  kExitNoVmList = 3,      // the VM list is missing, unreadable or lists no VM
  kExitNoVmLibrary = 5,   // none of the listed VMs has a VM library
  kExitBadVmLibrary = 6,  // the VM library cannot be loaded or lacks an entry point
};

// The application home: the folder two levels above the launcher's file
// `program_path`; empty when there is none or it does not fit kPathRoom.
std::string ApplicationHome(std::string_view program_path);

// The runtime folder: the application home when it holds "lib/libjava.so",
// else its "jre" folder when that holds "lib/libjava.so", else the registered
// runtime ("CurrentVersion" exactly "1.3", its "JavaHome").  Empty when none.
std::string FindRuntime(const std::string& home);

// The registered runtime alone (see FindRuntime); empty when none.
std::string RegisteredRuntime();

// Reads the VM list "<runtime>/lib/jvm.cfg": comment lines ("#...") and empty
// lines are skipped, each other line loses its line break and is cut at its
// first blank; at most kVmEntriesMax entries.  Empty when the file cannot be
// opened or lists nothing.
std::vector<std::string> ReadVmList(const std::string& runtime);

// The VM library "<runtime>/lib/<entry without its first character>/libjvm.so"
// of the first entry that has one; empty when none has.
std::string FindVmLibrary(const std::string& runtime, const std::vector<std::string>& entries);

}  // namespace orvela::orvelarun

#endif
