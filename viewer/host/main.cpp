// The viewer program trendel: the program entry and the application command table.
#include <string>

#include "et.h"
#include "setup.h"

#ifdef TRENDEL_HAVE_ENGINE
#include "commands.h"
#endif

namespace {

#ifdef TRENDEL_HAVE_ENGINE
// The engine's commands, in the order of the command set.
const Et_CommandEntry kApplicationCommands[] = {
    {"LoadFileStats", trendel::LoadFileStatsCmd},
    {"GetChannelName", trendel::GetChannelNameCmd},
    {"IsValidPercentRange", trendel::IsValidPercentRangeCmd},
    {"GetPercentTime", trendel::GetPercentTimeCmd},
    {"GetFraction", trendel::GetFractionCmd},
    {"StopCalc", trendel::StopCalcCmd},
    {"GetPixelOffsetTime", trendel::GetPixelOffsetTimeCmd},
    {"GetYVoltage", trendel::GetYVoltageCmd},
    {"GetMaxEU", trendel::GetMaxEUCmd},
    {"GetMaxDisplayEU", trendel::GetMaxDisplayEUCmd},
    {"CalculateTimeRange", trendel::CalculateTimeRangeCmd},
    {"IsDataPresent", trendel::IsDataPresentCmd},
    {"GetChannelData", trendel::GetChannelDataCmd},
    {"UseChannelMapping", trendel::UseChannelMappingCmd},
    {"ExportTo", trendel::ExportToCmd},
};
constexpr int kApplicationCommandCount = sizeof kApplicationCommands / sizeof kApplicationCommands[0];
#endif

}  // namespace

/*
 * main --
 *	The program entry.  The shell has already split and unquoted the
 *	command line, so the tail is rebuilt as argv[1..] joined by single
 *	blanks: the viewer takes its whole tail as one data file path.
 * Results:
 *	The process status of the start-up sequence.
 * Side effects:
 *	Runs the viewer.
 */
int main(int argc, char** argv) {
  std::string tail = trendel::host::JoinCommandTail(argc, argv);
  char program_name[] = "trendelapp";
  char* arguments[] = {program_name, tail.data(), nullptr};
#ifdef TRENDEL_HAVE_ENGINE
  Et_SetApplicationCommands(kApplicationCommands, kApplicationCommandCount);
#endif
  const int status = Et_Startup(2, arguments);
  Tcl_Exit(status);
}
