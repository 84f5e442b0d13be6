// gd_recording: writes the recordings the viewer's GUI tests open, through
// the data file library: any channel count, 100 samples per second in
// one-second scans, channel n a sine of n / 2 volts (so that every channel
// has its own value range), "Velmont" layout.
//
// Usage: gd_recording OUT CHANNELS SECONDS
// SECONDS 0 writes the header only: a recording without data.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tavio.h"

namespace {

constexpr unsigned kRate = 100;
constexpr int kScan = 100;
constexpr double kCountsPerVolt = 3276.8;
constexpr int kMidScale = 32768;

// Reads a whole decimal number from lo to hi; false for anything else.
bool Number(const char* text, long lo, long hi, long* out) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < lo || v > hi) return false;
  *out = v;
  return true;
}

int Fail(const char* what, int code) {
  const char* message = tavio_code_message(code);
  std::fprintf(stderr, "gd_recording: %s: %s (code %d)\n", what, message != nullptr ? message : "failure", code);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  long channels = 0;
  long seconds = 0;
  if (argc != 4 || !Number(argv[2], 1, 128, &channels) || !Number(argv[3], 0, 36000, &seconds)) {
    std::fprintf(stderr, "usage: gd_recording OUT CHANNELS(1-128) SECONDS(0-36000)\n");
    return 2;
  }
  const int n = static_cast<int>(channels);
  int rc = TAVIO_CreateVelmontDataFile(argv[1], 0, n, kRate, kScan);
  for (int ch = 1; ch <= n && rc == 0; ++ch) {
    const std::string name = "Signal " + std::to_string(ch);
    rc = TAVIO_SetChannelName(ch, name.c_str());
    if (rc == 0) rc = TAVIO_SetChannelUnits(ch, "V");
    if (rc == 0) rc = TAVIO_SetConversionType(ch, "volts");
    if (rc == 0) rc = TAVIO_SetCountsPerVolt(ch, kCountsPerVolt);
    if (rc == 0) rc = TAVIO_SetOffsetCount(ch, kMidScale);
  }
  if (rc != 0) return Fail("cannot configure", rc);
  TAVIO_UseSystemTimeStamp();
  rc = TAVIO_WriteHeader();
  if (rc != 0) return Fail("cannot create", rc);

  std::vector<uint8_t> bytes(static_cast<std::size_t>(kScan) * static_cast<std::size_t>(n) * 2);
  for (long s = 0; s < seconds && rc == 0; ++s) {
    std::size_t at = 0;
    for (int i = 0; i < kScan; ++i) {
      const double t = static_cast<double>(s) + static_cast<double>(i) / kRate;
      for (int ch = 1; ch <= n; ++ch) {
        // Amplitude ch / 2 volts, at most 9.5 V so that the counts stay in range.
        const double volts = std::fmin(ch * 0.5, 9.5) * std::sin(t * (0.2 + 0.05 * ch) + ch);
        const long counts = std::lround(kMidScale + volts * kCountsPerVolt);
        const auto word = static_cast<uint16_t>(counts < 0 ? 0 : (counts > 65535 ? 65535 : counts));
        bytes[at++] = static_cast<uint8_t>(word);
        bytes[at++] = static_cast<uint8_t>(word >> 8);
      }
    }
    rc = TAVIO_WriteBytes(bytes.data(), static_cast<int>(bytes.size()));
  }
  if (rc != 0) {
    TAVIO_CloseWriteFile();
    return Fail("cannot write", rc);
  }
  rc = TAVIO_CloseWriteFile();
  if (rc != 0) return Fail("cannot complete", rc);
  return 0;
}
