// Writes small recorded data files for the engine tests: both layouts,
// padded last scans, segments, thermocouple channels with references and
// signed (style 5) samples, byte for byte as the data file writer lays them
// out.  Also a Tcl interpreter with the engine commands and a recording
// progressbar procedure.
#ifndef TRENDEL_ENGINE_TESTS_RECORDING_H
#define TRENDEL_ENGINE_TESTS_RECORDING_H

#include <tcl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace trendel::testing {

struct Recording {
  bool enhanced = false;
  std::vector<uint16_t> segments;  // enhanced: channels per segment (default: one segment)
  uint16_t style = 4;
  uint32_t samples_per_scan = 100;
  uint32_t rate = 100;
  uint8_t ref_kind = 1;
  bool tc_ref_list = true;
  int channels = 4;
  uint64_t lines = 300;  // sample sets written; the last scan is padded
  std::vector<std::string> names, units, types, refs;
  std::vector<double> counts_volt, offset, adder;
  std::vector<std::vector<double>> poly;
  std::vector<uint16_t> order;
  // BCD stamp fields of the first scan.
  int day = 1, hour = 9, minute = 5, second = 7, ten_thousandths = 2500;
  // The raw 16-bit word of channel c at line k.
  std::function<uint16_t(uint64_t line, int channel)> value = [](uint64_t k, int c) {
    return static_cast<uint16_t>((k * 7 + c * 1000) & 0xFFFF);
  };

  // Header bytes (everything before the first stamp).
  std::vector<uint8_t> Header() const;
  // The whole file.
  std::vector<uint8_t> Bytes() const;
  // Writes Bytes() to path.
  void Write(const std::string& path) const;
  // The number of pad sample sets the writer appends.
  uint32_t Pad() const;
};

// The 24-byte BCD stamp for a day, hour, minute, second and fraction.
std::vector<uint8_t> Stamp(int day, int hour, int minute, int second, int ten_thousandths);

// A temporary directory removed when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

// An interpreter with the fifteen commands and a `progressbar` procedure
// that appends "fraction message" to the global list `::progress`.
class EngineInterp {
 public:
  EngineInterp();
  ~EngineInterp();
  // Evaluates a script; returns the code, *result the result.
  int Eval(const std::string& script, std::string* result = nullptr);
  // Evaluates and returns the result, failing the test on an error.
  std::string Ok(const std::string& script);
  // Evaluates, expects an error, and returns its message.
  std::string Err(const std::string& script);
  std::vector<std::string> Progress();
  Tcl_Interp* interp() const { return interp_; }

 private:
  Tcl_Interp* interp_;
};

// Writes a small thermocouple table file and loads it as the engine's.
void LoadSmallTables(const std::string& path);

}  // namespace trendel::testing

#endif
