// The viewer's command set (placeholder: every command reports that it is
// not implemented yet).
#include "commands.h"

namespace trendel {
namespace {

int NotImplemented(Tcl_Interp* interp) {
  Tcl_SetResult(interp, const_cast<char*>("not implemented"), TCL_STATIC);
  return TCL_ERROR;
}

}  // namespace

#define TRENDEL_STUB(name) \
  int name(ClientData, Tcl_Interp* interp, int, const char*[]) { return NotImplemented(interp); }
TRENDEL_STUB(LoadFileStatsCmd)
TRENDEL_STUB(GetChannelNameCmd)
TRENDEL_STUB(IsValidPercentRangeCmd)
TRENDEL_STUB(GetPercentTimeCmd)
TRENDEL_STUB(GetFractionCmd)
TRENDEL_STUB(StopCalcCmd)
TRENDEL_STUB(GetPixelOffsetTimeCmd)
TRENDEL_STUB(GetYVoltageCmd)
TRENDEL_STUB(GetMaxEUCmd)
TRENDEL_STUB(GetMaxDisplayEUCmd)
TRENDEL_STUB(CalculateTimeRangeCmd)
TRENDEL_STUB(IsDataPresentCmd)
TRENDEL_STUB(GetChannelDataCmd)
TRENDEL_STUB(UseChannelMappingCmd)
TRENDEL_STUB(ExportToCmd)
#undef TRENDEL_STUB

}  // namespace trendel
