// ExportTo: runs the outside exporter on the display range of the loaded
// file.  The exporter is started directly (found on PATH, no shell), each
// word of its command line one argument and the data file path one argument
// whatever characters it holds, and the command waits for it.
#include <cstdlib>
#include <string>
#include <vector>

#include "commands.h"
#include "engine.h"
#include "et.h"
#include "process.h"

namespace trendel {

namespace {

constexpr char kExporter[] = "TarvikExport.exe";

struct ExportRange {
  bool valid;
  uint64_t first;
  uint64_t last;
};

ExportRange CurrentRange() {
  if (endtime < starttime || starttime < startsec || endtime > endsec) return {false, 0, 0};
  return {true, TimeToLine(starttime), TimeToLine(endtime)};
}

// The exporter's arguments after its name; the path goes in as it is (the
// Windows form's "/" to "\" step is the identity here).
std::vector<std::string> ExportArguments(const char* path, int mode, const ExportRange& range) {
  std::vector<std::string> args = {kExporter, "-F", path, "-S1", std::to_string(range.first + 1), "-S2",
                                   std::to_string(range.last + 1)};
  if (mode != 2) {
    args.push_back("-X");
    args.push_back("-E");
    if (mode == 0) args.push_back("-B");
  }
  return args;
}

}  // namespace

std::string ExportCommandLine(const char* path, int mode) {
  const ExportRange range = CurrentRange();
  if (!range.valid) return {};
  std::string line;
  for (const auto& arg : ExportArguments(path, mode, range)) {
    if (!line.empty()) line += ' ';
    line += arg;
  }
  return line;
}

/* ExportTo path mode -- runs the exporter on the display range; the command
 * succeeds whether or not the exporter could be started. */
int ExportToCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  try {
    if (argc != 3) {
      Et_SetResultF(interp, "wrong # of args: %s", argv[0]);
      return TCL_ERROR;
    }
    const char* p = argv[2];
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '+' || *p == '-') ++p;
    if (*p < '0' || *p > '9') {
      Et_SetResultF(interp, "expected integer but got \"%s\"", argv[2]);
      return TCL_ERROR;
    }
    const int mode = static_cast<int>(std::strtol(argv[2], nullptr, 10));
    const ExportRange range = CurrentRange();
    if (range.valid) orvela::platform::RunProgramAndWait(ExportArguments(argv[1], mode, range));
    Tcl_ResetResult(interp);
    return TCL_OK;
  } catch (...) {
    Et_SetResultF(interp, "%s", "export failed");
    return TCL_ERROR;
  }
}

}  // namespace trendel
