// Speed of the viewer engine on large recordings held in the page cache:
// the full computation (whole-block and part-block grouping, 16 channels)
// against a plain sequential read of the same file, the second load through
// the ".mm" cache, and a zoom inside the last loaded range with the point
// lists of 16 channels at 1000 pixels.
//
//   viewer_engine_bench [benchmark options]   runs the benchmarks; the
//       recordings are made in $VIEWER_BENCH_DIR (default /tmp) when missing
//   viewer_engine_bench --make PATH GIB S      writes a recording of GIB GiB
//   viewer_engine_bench --peak PATH            loads PATH, computes its full
//       graphs and prints "peak_rss_mb N"
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tcl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "engine.h"
#include "et.h"

namespace {

constexpr int kChannels = 16;

void Put(std::vector<uint8_t>& b, const void* p, size_t n) {
  const auto* c = static_cast<const uint8_t*>(p);
  b.insert(b.end(), c, c + n);
}

// Writes a plain recording of about `gib` GiB, 16 channels, S sample sets per
// scan, whole scans only.
void MakeRecording(const std::string& path, double gib, uint32_t S) {
  std::vector<uint8_t> h;
  const uint16_t n = kChannels, style = 4, zero16 = 0;
  const uint32_t rate = 10000;
  Put(h, &n, 2);
  Put(h, &S, 4);
  Put(h, &style, 2);
  Put(h, &zero16, 2);
  Put(h, &rate, 4);
  std::vector<uint8_t> block1000(1000, 0);
  block1000[1] = 0;  // reference kind 0, sub count 0
  h.insert(h.end(), block1000.begin(), block1000.end());
  h.push_back(0);
  std::string lists;
  for (int c = 0; c < n; ++c) lists += (c ? "\t" : "") + std::string("Ch") + std::to_string(c + 1);
  lists += "\v";
  for (int c = 0; c < n; ++c) lists += "\tVolts";
  lists += "\v";
  for (int c = 0; c < n; ++c) lists += "\tvolts";
  lists += "\vTC_Ref";
  for (int c = 0; c < n; ++c) lists += "\t";
  lists += "\v";
  h.insert(h.end(), lists.begin(), lists.end());
  const double cpv = 3276.8, off = 32768.0, z = 0.0;
  for (int c = 0; c < n; ++c) Put(h, &cpv, 8);
  for (int c = 0; c < n; ++c) Put(h, &off, 8);
  for (int k = 0; k < 30 * n; ++k) Put(h, &z, 8);
  for (int c = 0; c < n; ++c) Put(h, &zero16, 2);
  for (int c = 0; c < n; ++c) Put(h, &z, 8);
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (fp == nullptr) {
    std::perror(path.c_str());
    std::exit(1);
  }
  std::fwrite(h.data(), 1, h.size(), fp);
  const uint64_t block = 24 + uint64_t{S} * n * 2;
  const uint64_t blocks = static_cast<uint64_t>(gib * (1ull << 30)) / block;
  std::vector<uint16_t> buf(block / 2);
  uint64_t x = 88172645463325252ull;
  for (uint64_t b = 0; b < blocks; ++b) {
    std::memset(buf.data(), 0, 24);
    if (b == 0) {
      const uint32_t stamp[6] = {0, 0x0110, 0x0000, 0, 0, 0};  // day 1, 10:00:00
      std::memcpy(buf.data(), stamp, 24);
    }
    for (size_t i = 12; i < buf.size(); ++i) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      buf[i] = static_cast<uint16_t>(x);
    }
    std::fwrite(buf.data(), 1, block, fp);
  }
  std::fclose(fp);
}

std::string BenchDir() {
  const char* d = std::getenv("VIEWER_BENCH_DIR");
  return d != nullptr ? d : "/tmp";
}

// The two 1 GiB recordings: S = 4096 gives 8192 whole-block groups at 1000
// pixels; S = 65536 gives groups of 32768 (part-block).
const std::string& Recording(uint32_t S) {
  static std::string paths[2];
  std::string& p = paths[S == 4096 ? 0 : 1];
  if (p.empty()) {
    p = BenchDir() + "/viewer_bench_" + std::to_string(S) + ".dat";
    struct stat st {};
    if (stat(p.c_str(), &st) != 0) MakeRecording(p, 1.0, S);
  }
  return p;
}

uint64_t FileSize(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return static_cast<uint64_t>(st.st_size);
}

Tcl_Interp* Interp() {
  static Tcl_Interp* interp = [] {
    Tcl_Interp* i = Tcl_CreateInterp();
    Tcl_Eval(i, "proc progressbar {f m} {}");
    Tcl_CreateCommand(i, "CalculateTimeRange", trendel::CalculateTimeRangeCmd, nullptr, nullptr);
    Tcl_CreateCommand(i, "GetChannelData", trendel::GetChannelDataCmd, nullptr, nullptr);
    Et_Interp = i;
    return i;
  }();
  return interp;
}

void Load(const std::string& path, bool drop_cache) {
  using namespace trendel;
  if (drop_cache) unlink(MinMaxCachePath(path.c_str()).c_str());
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    ff_values[c] = 0xFFFF;
    zero_values[c] = 0;
  }
  QelThermoTablesRead = 1;
  if (!GetFileInfo(path.c_str())) std::exit(2);
  for (int c = 0; c < ChannelCount; ++c) {
    fullgraph[c].clearData();
    fullgraph[c].sx = 1000;
  }
  analyzing = 1;
  ComputeFullStats();
  analyzing = 0;
}

void BM_PlainRead(benchmark::State& state) {
  const std::string& path = Recording(static_cast<uint32_t>(state.range(0)));
  std::vector<char> buf(4 << 20);
  for (auto _ : state) {
    const int fd = open(path.c_str(), O_RDONLY);
    ssize_t got;
    while ((got = read(fd, buf.data(), buf.size())) > 0) benchmark::DoNotOptimize(buf.data());
    close(fd);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}

void BM_FullStats(benchmark::State& state) {
  const std::string& path = Recording(static_cast<uint32_t>(state.range(0)));
  Interp();
  for (auto _ : state) Load(path, true);
  state.counters["groups"] = trendel::fullgraph[0].numData() / 2;
  state.counters["group_size"] = trendel::fullDecimate;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}

void BM_CacheLoad(benchmark::State& state) {
  const std::string& path = Recording(static_cast<uint32_t>(state.range(0)));
  Interp();
  Load(path, true);
  for (auto _ : state) Load(path, false);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}

// A zoom inside the last loaded sub range, then 16 point lists at 1000 px.
void BM_ZoomDraw(benchmark::State& state) {
  const std::string& path = Recording(4096);
  Tcl_Interp* interp = Interp();
  Load(path, false);
  char t1[64], t2[64], t3[64], t4[64];
  using trendel::FormatSeconds;
  const double span = trendel::endsec - trendel::startsec;
  FormatSeconds(trendel::startsec + span * 0.40, t1, sizeof t1);
  FormatSeconds(trendel::startsec + span * 0.41, t2, sizeof t2);
  FormatSeconds(trendel::startsec + span * 0.402, t3, sizeof t3);
  FormatSeconds(trendel::startsec + span * 0.407, t4, sizeof t4);
  Tcl_Eval(interp, (std::string("CalculateTimeRange ") + t1 + " " + t2 + " 1000").c_str());
  const std::string zoom = std::string("CalculateTimeRange ") + t3 + " " + t4 + " 1000";
  for (auto _ : state) {
    if (Tcl_Eval(interp, zoom.c_str()) != TCL_OK) state.SkipWithError("CalculateTimeRange failed");
    for (int c = 1; c <= kChannels; ++c) {
      const std::string draw = "GetChannelData 0 " + std::to_string(c) + " 1000 200 -10 10";
      if (Tcl_Eval(interp, draw.c_str()) != TCL_OK) state.SkipWithError("GetChannelData failed");
    }
  }
  state.counters["sub_group_size"] = trendel::subDecimate;
}

BENCHMARK(BM_PlainRead)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FullStats)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CacheLoad)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomDraw)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--make") == 0) {
    MakeRecording(argv[2], std::atof(argv[3]), static_cast<uint32_t>(std::atoi(argv[4])));
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--peak") == 0) {
    Interp();
    Load(argv[2], true);
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("peak_rss_mb %.1f\n", ru.ru_maxrss / 1024.0);
    std::printf("groups %u\n", trendel::fullgraph[0].numData() / 2);
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
