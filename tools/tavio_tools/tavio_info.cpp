// tavio-info: describes a recorded data file or KEPR container through the
// data file library: format, clock, scans, samples, time span and channels.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "tavio.h"
#include "tool_messages.h"

namespace {

constexpr const char* kUsage =
    "usage: tavio-info FILE\n"
    "Describes a recorded data file (\"Velmont\", \"VelmontEnhanced\", fixed or keyed\n"
    "header) or a KEPR container: format, clock rate, scans, samples, first time\n"
    "stamp, duration, and per channel its name, units, conversion type, counts per\n"
    "volt, offset count and polynomial.  Containers need kepr.so in the working\n"
    "directory.  Exit status: 0, 1 when the file cannot be read, 2 for bad usage.\n";

const char* FormatName(int format) {
  switch (format) {
    case 1: return "Velmont (fixed header)";
    case 2: return "VelmontEnhanced (fixed header)";
    case 3: return "Velmont (keyed header)";
    case 4: return "VelmontEnhanced (keyed header)";
    case 5: return "KEPR container";
    default: return "unknown";
  }
}

void PrintChannel(int ch) {
  char name[256] = "", units[256] = "", type[256] = "", ref[256] = "";
  double cpv = 0.0;
  unsigned short offset = 0, order = 0;
  TAVIO_GetChannelName(ch, name);
  TAVIO_GetChannelUnits(ch, units);
  TAVIO_GetConversionType(ch, type);
  TAVIO_GetChannelTCRef(ch, ref);
  TAVIO_GetCountsPerVolt(ch, &cpv);
  TAVIO_GetOffsetCount(ch, &offset);
  TAVIO_GetPolynomialOrder(ch, &order);
  std::string poly;
  for (int j = 1; j <= order + 1; ++j) {
    double c = 0.0;
    if (TAVIO_GetPolynomialCoeff(ch, j, &c) != 0) break;
    char item[64];
    std::snprintf(item, sizeof item, "%s%.6g", j == 1 ? "" : " ", c);
    poly += item;
  }
  std::printf("%4d  %-20s %-10s %-14s %12.4f %6u  order %u: %s", ch, name, units, type, cpv, offset, order,
              poly.c_str());
  if (ref[0] != '\0') std::printf("  (reference %s)", ref);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const char* path = argv[1];
  const int rc = TAVIO_ReadDataFile(path);
  if (rc != 0) {
    std::fprintf(stderr, "tavio-info: cannot read %s: %s\n", path, tavio_tools::Describe(rc).c_str());
    return 1;
  }
  int format = 0, channels = 0, scan_samples = 0, scans = 0, data_type = 0, digital = 0;
  double rate = 0.0, samples = 0.0;
  TAVIO_GetFormatType(&format);
  TAVIO_GetChannelCount(&channels);
  TAVIO_GetClockRateEx(&rate);
  TAVIO_GetNumScanSamples(&scan_samples);
  TAVIO_GetScanCount(&scans);
  TAVIO_GetSampleCount(&samples);
  TAVIO_GetDataType(&data_type);
  TAVIO_GetInputType(&digital);
  std::printf("file:             %s\n", path);
  std::printf("format:           %d, %s\n", format, FormatName(format));
  std::printf("samples:          %s%s\n", digital ? "digital, 16 channels per word" : "analogue, ",
              digital ? "" : (data_type == 0 ? "unsigned 16-bit" : "signed 16-bit"));
  std::printf("channels:         %d\n", channels);
  std::printf("clock rate:       %.6g Hz\n", rate);
  std::printf("samples per scan: %d\n", scan_samples);
  std::printf("scans:            %d\n", scans);
  std::printf("sample sets:      %.0f\n", samples);
  double first = 0.0;
  int days = 0, hours = 0, minutes = 0;
  double seconds = 0.0;
  if (TAVIO_GetCurrentSampleTimeInSeconds(&first) == 0 &&
      TAVIO_GetCurrentSampleTime(&days, &hours, &minutes, &seconds) == 0) {
    std::printf("first time stamp: day %d, %02d:%02d:%07.4f\n", days, hours, minutes, seconds);
  } else {
    std::printf("first time stamp: none (the format records no time base)\n");
  }
  if (rate > 0.0) {
    std::printf("duration:         %.6f s\n", samples / rate);
  } else {
    std::printf("duration:         unknown (no clock rate)\n");
  }
  std::printf("\n   #  %-20s %-10s %-14s %12s %6s  polynomial\n", "name", "units", "conversion", "counts/volt",
              "offset");
  for (int ch = 1; ch <= channels; ++ch) PrintChannel(ch);
  TAVIO_CloseReadFile();
  return 0;
}
