// The test recordings and the test interpreter.
#include "recording.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "commands.h"
#include "engine.h"
#include "et.h"

namespace trendel::testing {

namespace {

void PutU16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutF64(std::vector<uint8_t>& b, double v) {
  uint8_t raw[8];
  std::memcpy(raw, &v, 8);
  b.insert(b.end(), raw, raw + 8);
}
void PutText(std::vector<uint8_t>& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

template <typename T>
T At(const std::vector<T>& v, int i, T fallback) {
  return i < static_cast<int>(v.size()) ? v[i] : fallback;
}

unsigned Bcd2(int v) { return static_cast<unsigned>((v / 10) << 4 | (v % 10)); }

}  // namespace

std::vector<uint8_t> Stamp(int day, int hour, int minute, int second, int frac) {
  std::vector<uint8_t> s;
  PutU32(s, static_cast<uint32_t>(day / 100));
  PutU32(s, (Bcd2(day % 100) << 8) | Bcd2(hour));
  PutU32(s, (Bcd2(minute) << 8) | Bcd2(second));
  PutU32(s, (Bcd2(frac / 100) << 8) | Bcd2(frac % 100));
  PutU32(s, 0);
  PutU32(s, 0);
  return s;
}

uint32_t Recording::Pad() const {
  if (samples_per_scan == 0) return 0;
  const uint64_t rem = lines % samples_per_scan;
  return rem == 0 ? 0 : static_cast<uint32_t>(samples_per_scan - rem);
}

std::vector<uint8_t> Recording::Header() const {
  std::vector<uint8_t> b;
  PutU16(b, static_cast<uint16_t>(channels));
  PutU32(b, samples_per_scan);
  PutU16(b, style);
  PutU16(b, 0);
  PutU32(b, rate);
  const size_t block_start = b.size();
  b.push_back(enhanced ? 1 : 0);
  std::vector<uint16_t> segs = segments.empty() ? std::vector<uint16_t>{static_cast<uint16_t>(channels)} : segments;
  if (enhanced) {
    b.push_back(static_cast<uint8_t>(segs.size()));
    for (uint16_t n : segs) PutU16(b, n);
  }
  b.push_back(ref_kind);
  if (ref_kind == 1) {
    PutF64(b, 1.0);
    b.push_back(0);
  }
  PutU32(b, Pad());
  b.resize(block_start + 1000, 0);
  b.push_back(0);
  for (int c = 0; c < channels; ++c) {
    if (c > 0) b.push_back('\t');
    PutText(b, At(names, c, "Ch" + std::to_string(c + 1)));
  }
  b.push_back('\v');
  for (int c = 0; c < channels; ++c) {
    b.push_back('\t');
    PutText(b, At(units, c, std::string("Volts")));
  }
  b.push_back('\v');
  for (int c = 0; c < channels; ++c) {
    b.push_back('\t');
    PutText(b, At(types, c, std::string("volts")));
  }
  b.push_back('\v');
  if (tc_ref_list) {
    PutText(b, "TC_Ref");
    for (int c = 0; c < channels; ++c) {
      b.push_back('\t');
      PutText(b, At(refs, c, std::string()));
    }
    b.push_back('\v');
  }
  for (int c = 0; c < channels; ++c) PutF64(b, At(counts_volt, c, 3276.8));
  for (int c = 0; c < channels; ++c) PutF64(b, At(offset, c, 32768.0));
  for (int k = 0; k < 20 * channels; ++k) PutF64(b, 0.0);
  for (int m = 0; m < 10; ++m)
    for (int c = 0; c < channels; ++c) {
      const auto p = At(poly, c, std::vector<double>{});
      PutF64(b, m < static_cast<int>(p.size()) ? p[m] : 0.0);
    }
  for (int c = 0; c < channels; ++c) PutU16(b, At(order, c, uint16_t{0}));
  for (int c = 0; c < channels; ++c) PutF64(b, At(adder, c, 0.0));
  return b;
}

std::vector<uint8_t> Recording::Bytes() const {
  std::vector<uint8_t> b = Header();
  const std::vector<uint8_t> first = Stamp(day, hour, minute, second, ten_thousandths);
  const std::vector<uint8_t> zero(24, 0);
  const uint16_t pad = style == 5 ? 0 : 32767;
  const uint64_t S = samples_per_scan;
  const uint64_t blocks = S == 0 ? 0 : (lines + S - 1) / S;
  std::vector<uint16_t> segs = segments.empty() ? std::vector<uint16_t>{static_cast<uint16_t>(channels)} : segments;
  if (enhanced) b.insert(b.end(), first.begin(), first.end());
  for (uint64_t blk = 0; blk < blocks; ++blk) {
    if (!enhanced) b.insert(b.end(), blk == 0 ? first.begin() : zero.begin(), blk == 0 ? first.end() : zero.end());
    int seg_first = 0;
    for (size_t j = 0; j < (enhanced ? segs.size() : 1); ++j) {
      const int n = enhanced ? segs[j] : channels;
      for (uint64_t s = 0; s < S; ++s) {
        const uint64_t line = blk * S + s;
        for (int i = 0; i < n; ++i) PutU16(b, line < lines ? value(line, seg_first + i) : pad);
      }
      seg_first += n;
    }
  }
  return b;
}

void Recording::Write(const std::string& path) const {
  const auto bytes = Bytes();
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TempDir::TempDir() {
  char pattern[] = "/tmp/trendel_engine_XXXXXX";
  const char* made = mkdtemp(pattern);
  dir_ = made != nullptr ? made : "/tmp";
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

namespace {

struct CommandEntry {
  const char* name;
  Tcl_CmdProc* proc;
};

const CommandEntry kCommands[] = {
    {"LoadFileStats", LoadFileStatsCmd},
    {"GetChannelName", GetChannelNameCmd},
    {"IsValidPercentRange", IsValidPercentRangeCmd},
    {"GetPercentTime", GetPercentTimeCmd},
    {"GetFraction", GetFractionCmd},
    {"StopCalc", StopCalcCmd},
    {"GetPixelOffsetTime", GetPixelOffsetTimeCmd},
    {"GetYVoltage", GetYVoltageCmd},
    {"GetMaxEU", GetMaxEUCmd},
    {"GetMaxDisplayEU", GetMaxDisplayEUCmd},
    {"CalculateTimeRange", CalculateTimeRangeCmd},
    {"IsDataPresent", IsDataPresentCmd},
    {"GetChannelData", GetChannelDataCmd},
    {"UseChannelMapping", UseChannelMappingCmd},
    {"ExportTo", ExportToCmd},
};

}  // namespace

EngineInterp::EngineInterp() : interp_(Tcl_CreateInterp()) {
  for (const auto& c : kCommands) Tcl_CreateCommand(interp_, c.name, c.proc, nullptr, nullptr);
  Et_Interp = interp_;
  ResetEngine();
  usemapping = 0;
  Eval("set ::progress {}; proc progressbar {f m} { lappend ::progress \"$f $m\" }");
}

EngineInterp::~EngineInterp() {
  Et_Interp = nullptr;
  Tcl_DeleteInterp(interp_);
}

int EngineInterp::Eval(const std::string& script, std::string* result) {
  const int code = Tcl_Eval(interp_, script.c_str());
  if (result != nullptr) *result = Tcl_GetStringResult(interp_);
  return code;
}

std::string EngineInterp::Ok(const std::string& script) {
  std::string r;
  EXPECT_EQ(Eval(script, &r), TCL_OK) << script << ": " << r;
  return r;
}

std::string EngineInterp::Err(const std::string& script) {
  std::string r;
  EXPECT_EQ(Eval(script, &r), TCL_ERROR) << script << ": " << r;
  return r;
}

std::vector<std::string> EngineInterp::Progress() {
  std::vector<std::string> out;
  Tcl_Obj* list = Tcl_GetVar2Ex(interp_, "progress", nullptr, TCL_GLOBAL_ONLY);
  int n = 0;
  Tcl_Obj** items = nullptr;
  if (list != nullptr && Tcl_ListObjGetElements(nullptr, list, &n, &items) == TCL_OK)
    for (int i = 0; i < n; ++i) out.emplace_back(Tcl_GetString(items[i]));
  Tcl_SetVar(interp_, "progress", "", TCL_GLOBAL_ONLY);
  return out;
}

void LoadSmallTables(const std::string& path) {
  std::ofstream f(path);
  // Table 3 (type K) gets the three-row example; the others one row each.
  const char* names[] = {"B", "E", "J", "K"};
  for (const char* n : names) {
    f << " ITS-90 Table for type " << n << " thermocouples\n";
    f << "temp,mv\n----\n";
    if (std::strcmp(n, "K") == 0)
      f << "0, 0.000\n1, 0.039\n2, 0.079\n";
    else
      f << "0, 0.0\n";
  }
  f.close();
  ASSERT_EQ(ParseTcTablesFrom(path.c_str()), 0);
  QelThermoTablesRead = 1;
}

}  // namespace trendel::testing
