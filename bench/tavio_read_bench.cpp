// Speed of reading and translating recordings through tavio.
//
// Reading: every sample of a 16-channel "Velmont" file through
// TAVIO_SetSampleAndChannel and TAVIO_GetSingleSample (mode 0), scan by scan,
// against a plain loop over the same file read into memory.
// Translation: a "Velmont" file into "KEPR" with TAVIO_TranslateFile, against
// copying the file.  Runs alternate and the best of each is kept; the
// container library is loaded from "./kepr.so", so run this in build/bin.
//
//   tavio_read_bench [--mib N] [--translate-mib N] [--runs N] [--dir DIR]
//   (defaults: 1024 MiB to read, 256 MiB to translate, 3 runs, $TMPDIR or /tmp)
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tavio.h"

namespace {

constexpr int kChannels = 16;
constexpr int kScanSamples = 1000;
constexpr int kStampBytes = 24;
constexpr std::size_t kCopyBytes = 1 << 20;

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Writes `mib` MiB of 16-channel sample sets (whole scans) through tavio.
bool MakeRecording(const std::string& path, long mib) {
  if (TAVIO_CreateVelmontDataFile(path.c_str(), 0, kChannels, 1000, kScanSamples) != 0) return false;
  if (TAVIO_WriteHeader() != 0) return false;
  std::vector<uint16_t> scan(static_cast<std::size_t>(kChannels) * kScanSamples);
  uint32_t x = 12345;
  const long scans = mib * 1024 * 1024 / static_cast<long>(scan.size() * 2);
  for (long s = 0; s < scans; ++s) {
    for (uint16_t& w : scan) {
      x = x * 1103515245u + 12345u;
      w = static_cast<uint16_t>(x >> 16);
    }
    if (TAVIO_WriteBytes(scan.data(), static_cast<int>(scan.size() * 2)) != 0) return false;
  }
  return TAVIO_CloseWriteFile() == 0;
}

// Every sample through the library; the sum keeps the reads alive.
double LibraryRead(const std::string& path, double* samples, double* sum) {
  if (TAVIO_ReadDataFile(path.c_str()) != 0) return -1.0;
  double sets = 0.0;
  TAVIO_GetSampleCount(&sets);
  const auto start = std::chrono::steady_clock::now();
  double total = 0.0;
  for (double k = 0.0; k < sets; k += 1.0) {
    for (int ch = 1; ch <= kChannels; ++ch) {
      double v = 0.0;
      TAVIO_SetSampleAndChannel(k, ch);
      TAVIO_GetSingleSample(0, &v);
      total += v;
    }
  }
  const double t = Seconds(start);
  TAVIO_CloseReadFile();
  *samples = sets * kChannels;
  *sum = total;
  return t;
}

// The same samples from the file read into memory: skip each scan's stamp,
// add every word.
double PlainRead(const std::vector<unsigned char>& file, std::size_t data_start, double* sum) {
  const std::size_t block = kStampBytes + static_cast<std::size_t>(kChannels) * kScanSamples * 2;
  const auto start = std::chrono::steady_clock::now();
  double total = 0.0;
  for (std::size_t at = data_start; at + block <= file.size(); at += block) {
    const unsigned char* p = file.data() + at + kStampBytes;
    for (std::size_t i = 0; i < block - kStampBytes; i += 2) total += static_cast<uint16_t>(p[i] | (p[i + 1] << 8));
  }
  *sum = total;
  return Seconds(start);
}

bool ReadWhole(const std::string& path, std::vector<unsigned char>* out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  out->resize(static_cast<std::size_t>(size));
  const bool ok = std::fread(out->data(), 1, out->size(), f) == out->size();
  std::fclose(f);
  return ok;
}

double CopyRun(const std::string& from, const std::string& to) {
  const auto start = std::chrono::steady_clock::now();
  std::FILE* in = std::fopen(from.c_str(), "rb");
  std::FILE* out = std::fopen(to.c_str(), "wb");
  if (in == nullptr || out == nullptr) {
    if (in != nullptr) std::fclose(in);
    if (out != nullptr) std::fclose(out);
    return -1.0;
  }
  std::vector<unsigned char> buffer(kCopyBytes);
  std::size_t n = 0;
  bool ok = true;
  while (ok && (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) ok = std::fwrite(buffer.data(), 1, n, out) == n;
  std::fclose(in);
  ok = std::fclose(out) == 0 && ok;
  return ok ? Seconds(start) : -1.0;
}

double TranslateRun(const std::string& from, const std::string& to) {
  const auto start = std::chrono::steady_clock::now();
  if (TAVIO_TranslateFile(to.c_str(), from.c_str(), 5) != 0) return -1.0;
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  long mib = 1024;
  long translate_mib = 256;
  int runs = 3;
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--mib") == 0 && i + 1 < argc) mib = std::atol(argv[++i]);
    else if (std::strcmp(argv[i], "--translate-mib") == 0 && i + 1 < argc) translate_mib = std::atol(argv[++i]);
    else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) dir = argv[++i];
    else {
      std::fprintf(stderr, "usage: tavio_read_bench [--mib N] [--translate-mib N] [--runs N] [--dir DIR]\n");
      return 2;
    }
  }
  if (mib < 1 || translate_mib < 1 || runs < 1) {
    std::fprintf(stderr, "tavio_read_bench: sizes and --runs must be positive\n");
    return 2;
  }
  const std::string source = dir + "/tavio_read_bench.dat";
  if (!MakeRecording(source, mib)) {
    std::fprintf(stderr, "tavio_read_bench: cannot write %s\n", source.c_str());
    return 1;
  }
  std::vector<unsigned char> file;
  if (!ReadWhole(source, &file) || TAVIO_ReadDataFile(source.c_str()) != 0) {
    std::fprintf(stderr, "tavio_read_bench: cannot read %s back\n", source.c_str());
    return 1;
  }
  // The data start: the fixed header's length for 16 channels at their defaults.
  std::size_t data_start = 0;
  {
    double sets = 0.0;
    TAVIO_GetSampleCount(&sets);
    const std::size_t block = kStampBytes + static_cast<std::size_t>(kChannels) * kScanSamples * 2;
    data_start = file.size() - static_cast<std::size_t>(sets / kScanSamples) * block;
    TAVIO_CloseReadFile();
  }
  double best_lib = 0.0, best_plain = 0.0, samples = 0.0;
  for (int r = 0; r < runs; ++r) {
    double lib_sum = 0.0, plain_sum = 0.0;
    const double lib = LibraryRead(source, &samples, &lib_sum);
    const double plain = PlainRead(file, data_start, &plain_sum);
    if (lib < 0.0 || lib_sum != plain_sum) {
      std::fprintf(stderr, "tavio_read_bench: the library read other samples than the file holds\n");
      return 1;
    }
    if (r == 0 || lib < best_lib) best_lib = lib;
    if (r == 0 || plain < best_plain) best_plain = plain;
  }
  file.clear();
  file.shrink_to_fit();
  std::remove(source.c_str());

  const std::string small = dir + "/tavio_translate_bench.dat";
  const std::string kepr = dir + "/tavio_translate_bench.kepr";
  const std::string copy = dir + "/tavio_translate_bench.copy";
  if (!MakeRecording(small, translate_mib)) {
    std::fprintf(stderr, "tavio_read_bench: cannot write %s\n", small.c_str());
    return 1;
  }
  double best_copy = 0.0, best_translate = 0.0;
  for (int r = 0; r < runs; ++r) {
    const double c = CopyRun(small, copy);
    std::remove(copy.c_str());
    const double t = TranslateRun(small, kepr);
    std::remove(kepr.c_str());
    if (c < 0.0 || t < 0.0) {
      std::fprintf(stderr, "tavio_read_bench: copying or translating into %s failed (kepr.so in the working "
                           "directory?)\n", dir.c_str());
      return 1;
    }
    if (r == 0 || c < best_copy) best_copy = c;
    if (r == 0 || t < best_translate) best_translate = t;
  }
  std::remove(small.c_str());

  std::printf("reading: %ld MiB, 16 channels, S = %d, best of %d runs\n", mib, kScanSamples, runs);
  std::printf("  TAVIO_SetSampleAndChannel + GetSingleSample: %8.1f million samples/s (target at least 50)\n",
              samples / best_lib / 1e6);
  std::printf("  plain loop over the file in memory:          %8.1f million samples/s\n",
              samples / best_plain / 1e6);
  std::printf("  ratio to the plain loop:                     %8.3f\n", best_plain / best_lib);
  const double mb = static_cast<double>(translate_mib) * 1.048576;
  std::printf("translation: %ld MiB \"Velmont\" into \"KEPR\", best of %d runs\n", translate_mib, runs);
  std::printf("  copying the file:      %8.1f MB/s\n", mb / best_copy);
  std::printf("  TAVIO_TranslateFile:   %8.1f MB/s\n", mb / best_translate);
  std::printf("  ratio to copying:      %8.3f (target at least 0.5)\n", best_copy / best_translate);
  return 0;
}
