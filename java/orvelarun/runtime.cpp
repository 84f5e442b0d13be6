// Runtime search for the launcher: application home, registered runtime, VM
// list and VM library.
#include "runtime.h"

#include <cstdio>
#include <memory>

#include "file_access.h"
#include "registry.h"

namespace orvela::orvelarun {
namespace {

constexpr const char* kJreKey = "HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment";

// Joins the parts into a path; empty when it does not fit kPathRoom.
std::string JoinPath(std::initializer_list<std::string_view> parts) {
  std::string path;
  for (std::string_view part : parts) path.append(part);
  return path.size() < kPathRoom ? path : std::string();
}

bool FileExists(const std::string& path) {
  return !path.empty() && platform::CheckAccess(path.c_str(), platform::kAccessExists) == 0;
}

}  // namespace

std::string ApplicationHome(std::string_view program_path) {
  const size_t file_cut = program_path.rfind('/');
  if (file_cut == std::string_view::npos) return {};
  const size_t dir_cut = program_path.substr(0, file_cut).rfind('/');
  if (dir_cut == std::string_view::npos) return {};
  const std::string home(program_path.substr(0, dir_cut));
  return home.size() < kPathRoom ? home : std::string();
}

std::string RegisteredRuntime() {
  std::string version;
  if (platform::ReadRegistryString(kJreKey, "CurrentVersion", kPathRoom, &version) !=
          platform::RegistryResult::kOk ||
      version != "1.3") {
    return {};
  }
  std::string home;
  if (platform::ReadRegistryString(std::string(kJreKey) + "\\" + version, "JavaHome", kPathRoom, &home) !=
      platform::RegistryResult::kOk) {
    return {};
  }
  return home;
}

std::string FindRuntime(const std::string& home) {
  if (!home.empty()) {
    if (FileExists(JoinPath({home, "/lib/libjava.so"}))) return home;
    const std::string jre = JoinPath({home, "/jre"});
    if (!jre.empty() && FileExists(JoinPath({jre, "/lib/libjava.so"}))) return jre;
  }
  return RegisteredRuntime();
}

std::vector<std::string> ReadVmList(const std::string& runtime) {
  std::vector<std::string> entries;
  const std::string path = JoinPath({runtime, "/lib/jvm.cfg"});
  if (path.empty()) return entries;
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "r"), &std::fclose);
  if (!file) return entries;
  char line[kVmLineMax + 1];
  while (std::fgets(line, sizeof line, file.get()) != nullptr) {
    if (line[0] == '#') continue;
    if (entries.size() >= kVmEntriesMax) break;
    std::string entry(line);
    // Only a line break is removed: a last line without one keeps its last letter.
    if (!entry.empty() && entry.back() == '\n') entry.pop_back();
    if (!entry.empty() && entry.back() == '\r') entry.pop_back();
    const size_t blank = entry.find_first_of(" \t");
    if (blank != std::string::npos) entry.resize(blank);
    // An entry names its VM after a leading '-'; one without a name is skipped.
    if (entry.size() < 2) continue;
    entries.push_back(entry);
  }
  return entries;
}

std::string FindVmLibrary(const std::string& runtime, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    const std::string path = JoinPath({runtime, "/lib/", std::string_view(entry).substr(1), "/libjvm.so"});
    if (FileExists(path)) return path;
  }
  return {};
}

}  // namespace orvela::orvelarun
