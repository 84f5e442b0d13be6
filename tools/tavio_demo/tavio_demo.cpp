// tavio-demo: writes a demonstration recording through the data file library,
// 16 channels at 1 kHz in the "Velmont" layout with one-second scans.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "demo_signals.h"
#include "tavio.h"

namespace {

constexpr long kDefaultSeconds = 300;
constexpr long kMaxSeconds = 86400;

void Usage(std::FILE* out) {
  std::fprintf(out,
               "usage: tavio-demo OUT [SECONDS]\n"
               "Writes a demonstration recording of SECONDS seconds (default %ld, at most %ld) to OUT:\n"
               "16 channels at %u Hz in the \"Velmont\" layout, one scan per second, among them type K\n"
               "thermocouples with a \"TC_Reference\" cold-junction channel, polynomial and linear\n"
               "sensors, a sine sweep, steps, slow drifts and noise with short spikes.\n",
               kDefaultSeconds, kMaxSeconds, orvela::demo::kDemoClockRate);
}

// Reports a failed library call and gives the exit status.
int Fail(const char* what, const char* path, int code) {
  const char* message = tavio_code_message(code);
  std::fprintf(stderr, "tavio-demo: %s %s: %s (code %d)\n", what, path,
               message != nullptr ? message : "the container library reported a failure", code);
  return 1;
}

int Configure(const char* path) {
  using orvela::demo::DemoChannels;
  int rc = TAVIO_CreateVelmontDataFile(path, 0, orvela::demo::kDemoChannels, orvela::demo::kDemoClockRate,
                                       orvela::demo::kDemoScanSamples);
  if (rc != 0) return rc;
  TAVIO_UseSystemTimeStamp();
  for (int ch = 1; ch <= orvela::demo::kDemoChannels && rc == 0; ++ch) {
    const orvela::demo::DemoChannel& c = DemoChannels()[static_cast<std::size_t>(ch - 1)];
    const int order = static_cast<int>(c.coefficients.size()) - 1;
    if (rc == 0) rc = TAVIO_SetChannelName(ch, c.name);
    if (rc == 0) rc = TAVIO_SetChannelUnits(ch, c.units);
    if (rc == 0) rc = TAVIO_SetConversionType(ch, c.conversion);
    if (rc == 0) rc = TAVIO_SetChannelTCRef(ch, c.reference);
    if (rc == 0) rc = TAVIO_SetCountsPerVolt(ch, c.counts_per_volt);
    if (rc == 0) rc = TAVIO_SetOffsetCount(ch, c.offset_count);
    if (rc == 0) rc = TAVIO_SetPolynomialOrder(ch, order);
    for (int i = 0; i <= order && rc == 0; ++i) rc = TAVIO_SetPolynomialCoeff(ch, i + 1, c.coefficients[static_cast<std::size_t>(i)]);
  }
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    Usage(stdout);
    return 0;
  }
  if (argc < 2 || argc > 3 || argv[1][0] == '\0') {
    Usage(stderr);
    return 2;
  }
  const char* path = argv[1];
  long seconds = kDefaultSeconds;
  if (argc == 3) {
    char* end = nullptr;
    errno = 0;
    seconds = std::strtol(argv[2], &end, 10);
    if (errno != 0 || end == argv[2] || *end != '\0' || seconds < 1 || seconds > kMaxSeconds) {
      std::fprintf(stderr, "tavio-demo: SECONDS must be a whole number from 1 to %ld, not \"%s\"\n", kMaxSeconds,
                   argv[2]);
      return 2;
    }
  }
  if (std::strlen(path) > 255) {
    std::fprintf(stderr, "tavio-demo: the path is longer than 255 characters\n");
    return 2;
  }

  int rc = Configure(path);
  if (rc != 0) return Fail("cannot configure", path, rc);
  rc = TAVIO_WriteHeader();
  if (rc != 0) return Fail("cannot create", path, rc);

  orvela::demo::DemoSignals signals(static_cast<double>(seconds));
  const int per_scan = orvela::demo::kDemoScanSamples;
  std::vector<uint16_t> scan(static_cast<std::size_t>(per_scan) * orvela::demo::kDemoChannels);
  std::vector<uint8_t> bytes(scan.size() * 2);
  uint64_t k = 0;
  for (long s = 0; s < seconds; ++s) {
    for (int i = 0; i < per_scan; ++i, ++k)
      signals.SampleSet(k, &scan[static_cast<std::size_t>(i) * orvela::demo::kDemoChannels]);
    // The file holds little-endian words whatever the host's byte order.
    for (std::size_t i = 0; i < scan.size(); ++i) {
      bytes[2 * i] = static_cast<uint8_t>(scan[i]);
      bytes[2 * i + 1] = static_cast<uint8_t>(scan[i] >> 8);
    }
    rc = TAVIO_WriteBytes(bytes.data(), static_cast<int>(bytes.size()));
    if (rc != 0) {
      TAVIO_CloseWriteFile();
      return Fail("cannot write", path, rc);
    }
  }
  rc = TAVIO_CloseWriteFile();
  if (rc != 0) return Fail("cannot complete", path, rc);
  std::printf("%s: %d channels, %ld seconds at %u Hz\n", path, orvela::demo::kDemoChannels, seconds,
              orvela::demo::kDemoClockRate);
  return 0;
}
