// The viewer's command set: the fifteen commands through which the script
// reaches the engine, with their argument checks and messages.
#include "commands.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine.h"
#include "et.h"

namespace trendel {

int usemapping = 0;

namespace {

constexpr char kNoFile[] = "No File Loaded";
constexpr char kNoData[] = "No Data Present: LoadFileStats() OR CalculateTimeRange() has not been called";
constexpr char kBusy[] = "Calculation in progress";

// True while CalculateTimeRange computes: the progress reports run the
// script, which must not load another file or start another computation
// under the running one.
bool computing = false;

int WrongArgs(Tcl_Interp* interp, const char* const argv[]) {
  Et_SetResultF(interp, "wrong # of args: %s", argv[0]);
  return TCL_ERROR;
}

int Fail(Tcl_Interp* interp, const char* message) {
  Et_SetResultF(interp, "%s", message);
  return TCL_ERROR;
}

int InvalidChannel(Tcl_Interp* interp, int channel) {
  Et_SetResultF(interp, "%d is an invalid channel number", channel);
  return TCL_ERROR;
}

// Reads an integer: leading blanks, an optional sign, decimal digits; reading
// stops at the first non-digit.  A text without digits, or one too large for
// an int, is an error rather than a value left over from before.
bool ReadInt(Tcl_Interp* interp, const char* text, int* out) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  const char* sign_end = (*p == '+' || *p == '-') ? p + 1 : p;
  if (*sign_end < '0' || *sign_end > '9') {
    Et_SetResultF(interp, "expected integer but got \"%s\"", text);
    return false;
  }
  errno = 0;
  const long v = std::strtol(p, nullptr, 10);
  if (errno == ERANGE || v > INT_MAX || v < INT_MIN) {
    Et_SetResultF(interp, "integer value too large to represent: \"%s\"", text);
    return false;
  }
  *out = static_cast<int>(v);
  return true;
}

// Reads a real with the engine's fval; a text without digits is an error.
bool ReadReal(Tcl_Interp* interp, const char* text, double* out) {
  int digits = 0;
  const double v = fval(text, &digits);
  if (digits == 0) {
    Et_SetResultF(interp, "expected floating-point number but got \"%s\"", text);
    return false;
  }
  *out = v;
  return true;
}

bool FileLoaded() { return ChannelCount != 0; }

void SetTimeResult(Tcl_Interp* interp, double t) {
  char text[96];
  FormatSeconds(t, text, sizeof text);
  Et_SetResultF(interp, "%s", text);
}

// The largest EU value of the full count range over channels, plus one.
struct MaxEU {
  bool any = false;
  double m = 10.0;
  void Add(int channel) {
    const double v = Counts2EU(65535.0, 0.0, mapped_channel(channel) - 1);
    if (!any || v > m) m = v;
    any = true;
  }
};

// Runs `body` with every exception turned into a Tcl error: nothing may
// unwind into the interpreter.
template <typename Body>
int Guard(Tcl_Interp* interp, Body body) {
  try {
    return body();
  } catch (const std::exception& e) {
    Et_SetResultF(interp, "%s", e.what());
  } catch (...) {
    Et_SetResultF(interp, "%s", "internal error");
  }
  return TCL_ERROR;
}

}  // namespace

int mapped_channel(int c) {
  if (usemapping && ChannelCount >= 32 && ChannelCount <= 48) {
    if (c >= 9 && c <= 16) return c + 8;
    if (c >= 17 && c <= 24) return c - 8;
  }
  return c;
}

/* LoadFileStats path [quick] -- loads a data file; result "%d" channels. */
int LoadFileStatsCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  return Guard(interp, [&] {
    if (argc < 2) return WrongArgs(interp, argv);
    if (computing) return Fail(interp, kBusy);
    int quick = 0;
    if (argc > 2 && !ReadInt(interp, argv[2], &quick)) return TCL_ERROR;
    if (!GetFileInfo(argv[1])) {
      Et_SetResultF(interp, "File %s Not Found", argv[1]);
      return TCL_ERROR;
    }
    for (int c = 0; c < ChannelCount; ++c) fullgraph[c].clearData();
    for (int c = 0; c < MAX_CHANNELS; ++c) {
      zero_values[c] = 0;
      ff_values[c] = 0xFFFF;
    }
    Et_SetResultF(interp, "%d", static_cast<int>(ChannelCount));
    return TCL_OK;
  });
}

/* GetChannelName channel -- "Ch%d (%s)" for "Slot..." names, else "%s (%s)". */
int GetChannelNameCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  return Guard(interp, [&] {
    if (argc != 2) return WrongArgs(interp, argv);
    int channel = 0;
    if (!ReadInt(interp, argv[1], &channel)) return TCL_ERROR;
    if (channel < 1 || channel > ChannelCount) return InvalidChannel(interp, channel);
    const int c = channel - 1;
    if (std::strncmp(sChannelName[c], "Slot", 4) == 0)
      Et_SetResultF(interp, "Ch%d (%s)", channel, sUnits[c]);
    else
      Et_SetResultF(interp, "%s (%s)", sChannelName[c], sUnits[c]);
    return TCL_OK;
  });
}

/* IsValidPercentRange full from to -- "1" when the range spans a period. */
int IsValidPercentRangeCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  return Guard(interp, [&] {
    if (argc != 4) return WrongArgs(interp, argv);
    if (!FileLoaded()) return Fail(interp, kNoFile);
    int full = 0;
    double from = 0.0, to = 0.0;
    if (!ReadInt(interp, argv[1], &full) || !ReadReal(interp, argv[2], &from) || !ReadReal(interp, argv[3], &to))
      return TCL_ERROR;
    const double t1 = PercentTime(full, from);
    const double t2 = PercentTime(full, to);
    Et_SetResultF(interp, "%s", t2 - t1 >= g_dClockPeriod ? "1" : "0");
    return TCL_OK;
  });
}

/* GetPercentTime full from [to] -- one time text, or a window of two. */
int GetPercentTimeCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  return Guard(interp, [&] {
    if (argc != 3 && argc != 4) return WrongArgs(interp, argv);
    if (!FileLoaded()) return Fail(interp, kNoFile);
    int full = 0;
    double from = 0.0, to = 0.0;
    if (!ReadInt(interp, argv[1], &full) || !ReadReal(interp, argv[2], &from)) return TCL_ERROR;
    if (argc == 3) {
      SetTimeResult(interp, PercentTime(full, from));
      return TCL_OK;
    }
    if (!ReadReal(interp, argv[3], &to)) return TCL_ERROR;
    double a = PercentTime(full, from);
    double b = PercentTime(full, to);
    double w = b - a;
    if (w < g_dClockPeriod) {
      a = full != 0 ? startsec : starttime;
      b = full != 0 ? endsec : endtime;
    } else {
      if (w > endsec - startsec) w = endsec - startsec;
      if (a < startsec) {
        a = startsec;
        b = a + w;
      } else if (b > endsec) {
        b = endsec;
        a = b - w;
      }
    }
    char ta[96], tb[96];
    FormatSeconds(a, ta, sizeof ta);
    FormatSeconds(b, tb, sizeof tb);
    Et_SetResultF(interp, "%s %s", ta, tb);
    return TCL_OK;
  });
}

/* GetFraction time -- "%f" fraction of the file at which the time lies. */
int GetFractionCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  return Guard(interp, [&] {
    if (argc != 2) return WrongArgs(interp, argv);
    if (!FileLoaded()) return Fail(interp, kNoFile);
    cBcdTime parser;
    const double t = parser.parseTimeStamp(argv[1]);
    if (t < startsec || t > endsec) {
      char tt[64], ts[64], te[64];
      std::snprintf(tt, sizeof tt, "%f", t);
      std::snprintf(ts, sizeof ts, "%f", startsec);
      std::snprintf(te, sizeof te, "%f", endsec);
      if (std::strcmp(tt, ts) != 0 && std::strcmp(tt, te) != 0) {
        Et_SetResultF(interp, "Time %s is not within file range", argv[1]);
        return TCL_ERROR;
      }
    }
    // A file of one line has no span: every time in it lies at its start.
    const double span = endsec - startsec;
    Et_SetResultF(interp, "%f", span > 0.0 ? (t - startsec) / span : 0.0);
    return TCL_OK;
  });
}

/* StopCalc -- asks a running computation to stop. */
int StopCalcCmd(ClientData, Tcl_Interp* interp, int, const char*[]) {
  analyzing = 0;
  Tcl_ResetResult(interp);
  return TCL_OK;
}

/* GetPixelOffsetTime time offset -- the time moved by whole periods. */
int GetPixelOffsetTimeCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  return Guard(interp, [&] {
    if (argc != 3) return WrongArgs(interp, argv);
    if (!FileLoaded()) return Fail(interp, kNoFile);
    int offset = 0;
    if (!ReadInt(interp, argv[2], &offset)) return TCL_ERROR;
    cBcdTime parser;
    double t = parser.parseTimeStamp(argv[1]) + offset * g_dClockPeriod;
    if (t < startsec) t = startsec;
    if (t > endsec) t = endsec;
    SetTimeResult(interp, t);
    return TCL_OK;
  });
}

/* GetYVoltage fraction channel -- "%f" EU value at a vertical fraction. */
int GetYVoltageCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  return Guard(interp, [&] {
    if (argc != 3) return WrongArgs(interp, argv);
    if (!FileLoaded()) return Fail(interp, kNoFile);
    double fraction = 0.0;
    if (!ReadReal(interp, argv[1], &fraction)) return TCL_ERROR;
    if (fraction < 0.0 || fraction > 1.0) {
      Et_SetResultF(interp, "Y-Fraction %f is not between 0 and 1", fraction);
      return TCL_ERROR;
    }
    int channel = 0;
    if (!ReadInt(interp, argv[2], &channel)) return TCL_ERROR;
    if (channel < 1 || channel > ChannelCount) return InvalidChannel(interp, channel);
    Et_SetResultF(interp, "%f", Counts2EU(fraction * 65535.0, 0.0, mapped_channel(channel) - 1));
    return TCL_OK;
  });
}

/* GetMaxEU -- "%f" bound of the EU range over every channel. */
int GetMaxEUCmd(ClientData, Tcl_Interp* interp, int, const char*[]) {
  return Guard(interp, [&] {
    MaxEU max;
    for (int i = 1; i <= ChannelCount; ++i) max.Add(i);
    Et_SetResultF(interp, "%f", max.m + 1.0);
    return TCL_OK;
  });
}

/* GetMaxDisplayEU channels -- "%f" bound of the EU range over a list. */
int GetMaxDisplayEUCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  return Guard(interp, [&] {
    if (argc < 2) return WrongArgs(interp, argv);
    constexpr int kLimit = 99;
    auto words = std::make_unique<STR[]>(kLimit + 1);
    const int n = argv[1][0] == '\0' ? 0 : dword(argv[1], " \t", words.get(), kLimit);
    MaxEU max;
    for (int k = 0; k < n; ++k) {
      if (words[k][0] == '\0') continue;  // a leading blank
      int channel = 0;
      if (!ReadInt(interp, words[k], &channel)) return TCL_ERROR;
      if (channel < 1 || channel > ChannelCount) return InvalidChannel(interp, channel);
      max.Add(channel);
    }
    Et_SetResultF(interp, "%f", max.m + 1.0);
    return TCL_OK;
  });
}

/* CalculateTimeRange start end [width] -- computes the display data. */
int CalculateTimeRangeCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  return Guard(interp, [&] {
    if (argc < 3) return WrongArgs(interp, argv);
    if (!FileLoaded()) return Fail(interp, kNoFile);
    if (computing) return Fail(interp, kBusy);
    int width = 1000;
    if (argc > 3 && !ReadInt(interp, argv[3], &width)) return TCL_ERROR;
    struct Busy {
      Busy() { computing = true; }
      ~Busy() {
        computing = false;
        analyzing = 0;
      }
    } busy;
    if (fullgraph[0].numData() == 0) {
      for (int c = 0; c < ChannelCount; ++c) fullgraph[c].sx = width;
      analyzing = 1;
      ComputeFullStats();
      analyzing = 0;
    }
    cBcdTime parser;
    double t1 = parser.parseTimeStamp(argv[1]);
    if (t1 < startsec) t1 = startsec;
    double t2 = parser.parseTimeStamp(argv[2]);
    if (t2 > endsec) t2 = endsec;
    for (int c = 0; c < ChannelCount; ++c) {
      graph[c].sx = width;
      graph[c].useFullGraph = 0;
    }
    analyzing = 1;
    ComputeSubStats(t1, t2);
    analyzing = 0;
    Tcl_ResetResult(interp);
    return TCL_OK;
  });
}

/* IsDataPresent -- "1" when the full graphs hold data. */
int IsDataPresentCmd(ClientData, Tcl_Interp* interp, int, const char*[]) {
  Et_SetResultF(interp, "%s", fullgraph[0].numData() > 0 ? "1" : "0");
  return TCL_OK;
}

/* GetChannelData full channel width height [bottom top] -- the point list. */
int GetChannelDataCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  return Guard(interp, [&] {
    if (argc != 5 && argc != 7) return WrongArgs(interp, argv);
    if (!FileLoaded()) return Fail(interp, kNoFile);
    if (fullgraph[0].numData() == 0) return Fail(interp, kNoData);
    int full = 0, channel = 0, width = 0, height = 0;
    double bottom = 0.0, top = 0.0;
    if (!ReadInt(interp, argv[1], &full) || !ReadInt(interp, argv[2], &channel) || !ReadInt(interp, argv[3], &width) ||
        !ReadInt(interp, argv[4], &height))
      return TCL_ERROR;
    if (argc == 7 && (!ReadReal(interp, argv[5], &bottom) || !ReadReal(interp, argv[6], &top))) return TCL_ERROR;
    if (channel < 1 || channel > ChannelCount) return InvalidChannel(interp, channel);
    const std::string text = ChannelPointList(full, mapped_channel(channel) - 1, width, height, argc == 7, bottom, top);
    Tcl_SetResult(interp, const_cast<char*>(text.c_str()), TCL_VOLATILE);
    return TCL_OK;
  });
}

/* UseChannelMapping on -- switches the channel mapping. */
int UseChannelMappingCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  return Guard(interp, [&] {
    if (argc != 2) return WrongArgs(interp, argv);
    int on = 0;
    if (!ReadInt(interp, argv[1], &on)) return TCL_ERROR;
    usemapping = on != 0 ? 1 : 0;
    Tcl_ResetResult(interp);
    return TCL_OK;
  });
}

}  // namespace trendel
