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

// Keeps the real and the processor time of every benchmark (the least of its
// repetitions), for the figures printed at the end.  On a shared machine the
// processor time is the fairer measure; the real time includes the wait for
// the disk when the written file is synced.
class Collector : public benchmark::ConsoleReporter {
 public:
  struct Times {
    double real = 0.0;
    double cpu = 0.0;
  };

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      Times& t = times_[run.run_name.function_name];
      const double real = run.GetAdjustedRealTime();
      const double cpu = run.GetAdjustedCPUTime();
      if (t.real == 0.0 || real < t.real) t.real = real;
      if (t.cpu == 0.0 || cpu < t.cpu) t.cpu = cpu;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  Times Time(const std::string& name) const {
    auto it = times_.find(name);
    return it != times_.end() ? it->second : Times{};
  }

 private:
  std::map<std::string, Times> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  File();
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  const Collector::Times ours = collector.Time("BM_OpenAndReadAll");
  const Collector::Times theirs = collector.Time("BM_LibXml2ReadFile");
  if (ours.cpu > 0.0 && theirs.cpu > 0.0) {
    std::printf("read of %d sets x %d points: %.2f ms processor (%.2f ms real); libxml2 xmlReadFile: %.2f ms "
                "processor (%.2f ms real); ratio %.2f processor, %.2f real (target <= 3)\n",
                kSets, kPoints, ours.cpu, ours.real, theirs.cpu, theirs.real, ours.cpu / theirs.cpu,
                ours.real / theirs.real);
  }
  const Collector::Times write = collector.Time("BM_SetAndWriteBack");
  if (write.cpu > 0.0) {
    std::printf("set + write-back: %.2f ms processor, %.2f ms real (target <= 50)\n", write.cpu, write.real);
  }
  benchmark::Shutdown();
  return 0;
}
