// Fuzz target for the data file reader: any bytes as a data file, opened with
// TAVIO_ReadDataFile, then every sample of every channel read as counts,
// volts and EU, with the time of each sample set.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tavio.h"

namespace {

// Reading stops after this many sample sets, so that one input stays quick.
constexpr double kMostSets = 4096.0;

// One scratch file for every input, rewritten each time and removed when
// the run ends.
struct ScratchFile {
  std::string path = "/tmp/tavio_read_fuzz_" + std::to_string(getpid()) + ".dat";
  ~ScratchFile() { std::remove(path.c_str()); }
};

const std::string& ScratchPath() {
  static const ScratchFile file;
  return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = ScratchPath();
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, out) == size;
  std::fclose(out);
  if (!written || TAVIO_ReadDataFile(path.c_str()) != 0) {
    TAVIO_CloseReadFile();
    return 0;
  }
  int channels = 0;
  double sets = 0.0;
  TAVIO_GetChannelCount(&channels);
  TAVIO_GetSampleCount(&sets);
  if (sets > kMostSets) sets = kMostSets;
  // One set past the end too: what the file does not hold must read as zero.
  for (double k = 0.0; k <= sets; k += 1.0) {
    for (int ch = 1; ch <= channels; ++ch) {
      for (int mode = 0; mode <= 2; ++mode) {
        double value = 0.0;
        TAVIO_GetSingleSampleExtended(mode, k, ch, &value);
      }
    }
    int days = 0, hours = 0, minutes = 0;
    double seconds = 0.0;
    TAVIO_GetCurrentSampleTime(&days, &hours, &minutes, &seconds);
  }
  TAVIO_CloseReadFile();
  return 0;
}
