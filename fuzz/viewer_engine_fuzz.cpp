// The viewer engine over arbitrary bytes: the input is a data file, read with
// GetFileInfo and reduced by the full and sub computations, then drawn.  When
// the input holds the line "\nTABLES\n", what follows it becomes the
// thermocouple table file, parsed first and used by the conversions; when
// the rest holds the line "\nMINMAX\n", what follows that becomes the data
// file's ".mm" cache, so that the table and cache readers are exercised too.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine.h"

namespace {

constexpr char kCacheMark[] = "\nMINMAX\n";
constexpr char kTablesMark[] = "\nTABLES\n";

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (fp == nullptr) return;
  if (size > 0) std::fwrite(data, 1, size, fp);
  std::fclose(fp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace trendel;
  // One scratch folder per process, removed when the process ends.
  struct ScratchDir {
    std::string path;
    ScratchDir() {
      char pattern[] = "/tmp/viewer_engine_fuzz_XXXXXX";
      const char* made = mkdtemp(pattern);
      path = made != nullptr ? made : "/tmp";
    }
    ~ScratchDir() {
      if (path != "/tmp") rmdir(path.c_str());
    }
  };
  static const ScratchDir scratch;
  const std::string& dir = scratch.path;
  const std::string path = dir + "/input.dat";
  const std::string cache = dir + "/input.mm";
  const std::string tables = dir + "/tctables.txt";
  for (int t = 0; t < kNumTables; ++t) QelNumThermoTableEntries[t] = QelNumRtdTableEntries[t] = 0;
  const void* tables_mark = memmem(data, size, kTablesMark, sizeof kTablesMark - 1);
  if (tables_mark != nullptr) {
    const size_t end = static_cast<size_t>(static_cast<const uint8_t*>(tables_mark) - data);
    const size_t at = end + sizeof kTablesMark - 1;
    WriteFile(tables, data + at, size - at);
    ParseTcTablesFrom(tables.c_str());
    unlink(tables.c_str());
    size = end;
    for (int t = 0; t < kNumTables; ++t)
      for (double v : {-1e300, -300.0, -5.5, 0.0, 0.5, 20.0, 1e300}) {
        QelConvertMvToDegC(t, v);
        QelConvertDegCToMv(t, v);
      }
  }
  size_t data_size = size;
  const void* mark = memmem(data, size, kCacheMark, sizeof kCacheMark - 1);
  if (mark != nullptr) data_size = static_cast<size_t>(static_cast<const uint8_t*>(mark) - data);
  WriteFile(path, data, data_size);
  if (mark != nullptr) {
    const size_t at = data_size + sizeof kCacheMark - 1;
    WriteFile(cache, data + at, size - at);
  } else {
    unlink(cache.c_str());
  }

  QelThermoTablesRead = 1;  // the tables above, or none: temperature channels then read 0 degrees
  ResetEngine();
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    ff_values[c] = 0xFFFF;
    zero_values[c] = 0;
  }
  if (GetFileInfo(path.c_str())) {
    for (int c = 0; c < ChannelCount; ++c) fullgraph[c].sx = 50;
    analyzing = 1;
    ComputeFullStats();
    for (int c = 0; c < ChannelCount; ++c) graph[c].sx = 20;
    const double span = endsec - startsec;
    ComputeSubStats(startsec + span * 0.25, startsec + span * 0.75);
    ComputeSubStats(startsec + span * 0.3, startsec + span * 0.31);
    analyzing = 0;
    for (int c = 0; c < ChannelCount && c < 4; ++c) {
      ChannelPointList(1, c, 50, 40, true, -10.0, 10.0);
      ChannelPointList(0, c, 20, 40, false, 0.0, 0.0);
    }
  }
  unlink(path.c_str());
  unlink(cache.c_str());
  return 0;
}
