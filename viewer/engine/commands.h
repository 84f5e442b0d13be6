// The fifteen Tcl commands through which the viewer's script reaches the
// engine.  All are plain string-argument commands (Tcl_CmdProc): argv[0] is
// the command name as invoked, argc counts it.  The host registers them from
// its command table without client data and without a delete procedure.
// Each returns TCL_OK with its result, or TCL_ERROR with a message as the
// interpreter's result; none throws.
#ifndef TRENDEL_ENGINE_COMMANDS_H
#define TRENDEL_ENGINE_COMMANDS_H

#include <tcl.h>

namespace trendel {

// LoadFileStats path [quick]: loads a data file; result: its channel count.
int LoadFileStatsCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// GetChannelName channel: display name "name (units)" of one channel.
int GetChannelNameCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// IsValidPercentRange full from to: "1" when the range spans a clock period.
int IsValidPercentRangeCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// GetPercentTime full from [to]: time text(s) at fractions of file or display.
int GetPercentTimeCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// GetFraction time: fraction of the file at which the time lies.
int GetFractionCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// StopCalc: asks a running computation to stop.
int StopCalcCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// GetPixelOffsetTime time offset: time offset by whole sample periods.
int GetPixelOffsetTimeCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// GetYVoltage fraction channel: EU value at a vertical fraction.
int GetYVoltageCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// GetMaxEU: upper EU bound over all channels.
int GetMaxEUCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// GetMaxDisplayEU channels: upper EU bound over a list of channels.
int GetMaxDisplayEUCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// CalculateTimeRange start end [width]: computes display data for a range.
int CalculateTimeRangeCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// IsDataPresent: "1" when the full graphs hold data.
int IsDataPresentCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// GetChannelData full channel width height [bottom top]: point list to draw.
int GetChannelDataCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// UseChannelMapping on: switches the channel-number mapping.
int UseChannelMappingCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);
// ExportTo path mode: runs the outside exporter on the display range.
int ExportToCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]);

}  // namespace trendel

#endif
