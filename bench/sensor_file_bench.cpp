// Speed of the sensor file: a file of 1000 data sets of 20 points opened and
// read completely, and changed and written back, beside libxml2 parsing the
// same file (when it is available).  Prints the ratio of our read to
// libxml2's parse.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "eu.h"

#ifdef ORVELA_BENCH_LIBXML2
#include <libxml/parser.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kSets = 1000;
constexpr int kPoints = 20;

// The sensor file of the benchmark, written once through eu.
class SensorFile {
 public:
  SensorFile() {
    dir_ = fs::temp_directory_path() / ("orvela_sensor_bench_" + std::to_string(getpid()));
    fs::create_directories(dir_);
    path_ = (dir_ / "sensor.xml").string();
    EUHandle* h = nullptr;
    EUDataSetCollection* c = nullptr;
    if (EUInit("basalt", &h) != 0 || EUopenDataSets(h, Url("r+").c_str(), &c) < 0) std::abort();
    std::vector<double> volts(kPoints), eus(kPoints);
    for (int s = 0; s < kSets; ++s) {
      for (int i = 0; i < kPoints; ++i) {
        volts[i] = s * 0.001 + i * 0.25;
        eus[i] = volts[i] * 37.5 - 4.0;
      }
      char name[32];
      std::snprintf(name, sizeof name, "sensor-%04d", s);
      EUsetDataSet(h, c, name, volts.data(), eus.data(), kPoints);
    }
    EUClose(&h);
  }
  ~SensorFile() { fs::remove_all(dir_); }

  std::string Url(const char* mode) const { return "drover://" + path_ + "?mode=\"" + mode + "\""; }
  const std::string& path() const { return path_; }

 private:
  fs::path dir_;
  std::string path_;
};

SensorFile& File() {
  static SensorFile file;
  return file;
}

// Opens the file, lists every name and copies every set's points.
void BM_OpenAndReadAll(benchmark::State& state) {
  const std::string url = File().Url("r");
  for (auto _ : state) {
    EUHandle* h = nullptr;
    EUDataSetCollection* c = nullptr;
    EUInit("basalt", &h);
    if (EUopenDataSets(h, url.c_str(), &c) < 0) std::abort();
    char** names = nullptr;
    int n = 0;
    EUgetDataSetsIds(h, c, &names, &n);
    double total = 0.0;
    for (int i = 0; i < n; ++i) {
      double* volts = nullptr;
      double* eus = nullptr;
      int count = 0;
      EUgetDataSet(h, c, names[i], &volts, &eus, &count);
      total += count > 0 ? volts[count - 1] + eus[0] : 0.0;
    }
    benchmark::DoNotOptimize(total);
    if (n != kSets) std::abort();
    EUClose(&h);
  }
}
BENCHMARK(BM_OpenAndReadAll)->Unit(benchmark::kMillisecond);

// Replaces one set and writes the collection back (the timed part).
void BM_SetAndWriteBack(benchmark::State& state) {
  const std::string url = File().Url("r+");
  std::vector<double> volts(kPoints, 1.0), eus(kPoints, 2.0);
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    EUHandle* h = nullptr;
    EUDataSetCollection* c = nullptr;
    EUInit("basalt", &h);
    if (EUopenDataSets(h, url.c_str(), &c) < 0) std::abort();
    state.ResumeTiming();
    volts[0] = ++round;
    EUupdateDataSet(h, c, "sensor-0500", volts.data(), eus.data(), kPoints);
    EUcloseDataSets(h, &c);
    state.PauseTiming();
    EUClose(&h);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SetAndWriteBack)->Unit(benchmark::kMillisecond);

#ifdef ORVELA_BENCH_LIBXML2
void BM_LibXml2ReadFile(benchmark::State& state) {
  const std::string& path = File().path();
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, 0);
    if (doc == nullptr) std::abort();
    xmlFreeDoc(doc);
  }
}
BENCHMARK(BM_LibXml2ReadFile)->Unit(benchmark::kMillisecond);
#endif

// Keeps the mean real time of every run, for the ratio printed at the end.
class Collector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Time(const std::string& name) const {
    auto it = times_.find(name);
    return it != times_.end() ? it->second : 0.0;
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  File();
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  const double ours = collector.Time("BM_OpenAndReadAll");
  const double theirs = collector.Time("BM_LibXml2ReadFile");
  if (ours > 0.0 && theirs > 0.0) {
    std::printf("read of %d sets x %d points: %.2f ms; libxml2 xmlReadFile: %.2f ms; ratio %.2f (target <= 3)\n",
                kSets, kPoints, ours, theirs, ours / theirs);
  }
  const double write = collector.Time("BM_SetAndWriteBack");
  if (write > 0.0) std::printf("set + write-back: %.2f ms (target <= 50)\n", write);
  benchmark::Shutdown();
  return 0;
}
