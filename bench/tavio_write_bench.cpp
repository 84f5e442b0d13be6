// Speed of writing a recording: TAVIO_WriteBytes for a 16-channel "Velmont"
// file in calls of 64 KiB, against a plain fwrite of the same bytes.  Both
// include closing the file (the last flush).  Prints both rates and their
// ratio; the runs alternate and the best of each is kept, so that the page
// cache treats them alike.
//
//   tavio_write_bench [--mib N] [--runs N] [--dir DIR]   (default 1024 MiB, 3 runs, $TMPDIR or /tmp)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tavio.h"

namespace {

constexpr int kChannels = 16;
constexpr int kCallBytes = 64 * 1024;
constexpr int kScanSamples = 1000;

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The 64 KiB call buffer: whole 16-channel sample sets of varied counts.
std::vector<unsigned char> CallData() {
  std::vector<unsigned char> data(kCallBytes);
  uint32_t x = 12345;
  for (std::size_t i = 0; i < data.size(); ++i) {
    x = x * 1103515245u + 12345u;
    data[i] = static_cast<unsigned char>(x >> 16);
  }
  return data;
}

double PlainRun(const std::string& path, const std::vector<unsigned char>& data, long calls) {
  const auto start = std::chrono::steady_clock::now();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return -1.0;
  for (long i = 0; i < calls; ++i) {
    if (std::fwrite(data.data(), 1, data.size(), f) != data.size()) {
      std::fclose(f);
      return -1.0;
    }
  }
  if (std::fclose(f) != 0) return -1.0;
  return Seconds(start);
}

double TavioRun(const std::string& path, const std::vector<unsigned char>& data, long calls) {
  const auto start = std::chrono::steady_clock::now();
  if (TAVIO_CreateVelmontDataFile(path.c_str(), 0, kChannels, 1000, kScanSamples) != 0) return -1.0;
  if (TAVIO_WriteHeader() != 0) return -1.0;
  for (long i = 0; i < calls; ++i) {
    if (TAVIO_WriteBytes(data.data(), static_cast<int>(data.size())) != 0) {
      TAVIO_CloseWriteFile();
      return -1.0;
    }
  }
  if (TAVIO_CloseWriteFile() != 0) return -1.0;
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  long mib = 1024;
  int runs = 3;
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--mib") == 0 && i + 1 < argc) mib = std::atol(argv[++i]);
    else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) dir = argv[++i];
    else {
      std::fprintf(stderr, "usage: tavio_write_bench [--mib N] [--runs N] [--dir DIR]\n");
      return 2;
    }
  }
  if (mib < 1 || runs < 1) {
    std::fprintf(stderr, "tavio_write_bench: --mib and --runs must be positive\n");
    return 2;
  }
  const long calls = mib * 1024 * 1024 / kCallBytes;
  const std::vector<unsigned char> data = CallData();
  const std::string plain_path = dir + "/tavio_write_bench_plain.bin";
  const std::string tavio_path = dir + "/tavio_write_bench.dat";
  double best_plain = 0.0, best_tavio = 0.0;
  for (int r = 0; r < runs; ++r) {
    const double plain = PlainRun(plain_path, data, calls);
    std::remove(plain_path.c_str());
    const double tavio = TavioRun(tavio_path, data, calls);
    std::remove(tavio_path.c_str());
    if (plain < 0.0 || tavio < 0.0) {
      std::fprintf(stderr, "tavio_write_bench: writing into %s failed\n", dir.c_str());
      return 1;
    }
    if (r == 0 || plain < best_plain) best_plain = plain;
    if (r == 0 || tavio < best_tavio) best_tavio = tavio;
  }
  const double mb = static_cast<double>(mib) * 1.048576;
  std::printf("data: %ld MiB of 16-channel sample sets in calls of 64 KiB, best of %d runs\n", mib, runs);
  std::printf("plain fwrite:      %8.1f MB/s\n", mb / best_plain);
  std::printf("TAVIO_WriteBytes:  %8.1f MB/s\n", mb / best_tavio);
  std::printf("ratio to plain:    %8.3f (target at least 0.8)\n", best_plain / best_tavio);
  return 0;
}
