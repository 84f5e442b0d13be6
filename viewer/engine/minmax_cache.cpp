// The minmax cache file "%s.mm" beside a data file: the full graphs of a
// whole-block or part-block computation, kept between runs.
//
//   "T2\n"                   version mark
//   "%f\n"                   first stamp of the data file, days included
//   "%d %d %d %d\n"          group size, samples per scan, 0, 1
//   records to the end       per group: N u16 minima, then N u16 maxima (LE)
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "engine.h"

namespace trendel {

namespace {

constexpr size_t kRecordsPerRead = 4096;

// True when the data file was modified after the cache was written: then
// the cache may describe samples the file no longer holds.
bool DataNewerThan(const struct stat& cache) {
  struct stat data {};
  if (stat(fileParse.fname, &data) != 0) return false;
  if (data.st_mtim.tv_sec != cache.st_mtim.tv_sec) return data.st_mtim.tv_sec > cache.st_mtim.tv_sec;
  return data.st_mtim.tv_nsec > cache.st_mtim.tv_nsec;
}

}  // namespace

std::string MinMaxCachePath(const char* data_path) {
  std::string path(data_path);
  const size_t dot = path.rfind('.');
  if (dot != std::string::npos) path.resize(dot);
  return path + ".mm";
}

/*
 * ReadMinMaxCache --
 *   Loads the full graphs from the cache file when it belongs to the loaded
 *   file: same first stamp, group size and samples per scan, exactly the
 *   number of records the file gives for that group size, and not older
 *   than the data file (a recording that grew or was rewritten since the
 *   cache was made is recomputed).  `part`: called by the part-block loader,
 *   the only one that takes a cache of single entries (third number 1).
 * Results:
 *   True when the graphs were loaded from the cache.
 * Side effects:
 *   Fills the full graphs; reports "%d of %d" every 5 records.
 */
bool ReadMinMaxCache(bool part) {
  const std::string path = MinMaxCachePath(fileParse.fname);
  FILE* fp = OpenRegularFile(path.c_str(), "rb");
  if (fp == nullptr) return false;
  struct stat st {};
  if (fstat(fileno(fp), &st) != 0) {
    std::fclose(fp);
    return false;
  }
  const uint64_t length = static_cast<uint64_t>(st.st_size);
  char line[256];
  bool ok = !DataNewerThan(st) && freadln(&fp, line, sizeof line) >= 0 && std::strcmp(line, "T2") == 0;
  if (ok) {
    ok = freadln(&fp, line, sizeof line) >= 0;
    char expected[64];
    std::snprintf(expected, sizeof expected, "%f", starttotalsec);
    // The text is compared too: the decimal form cannot always give back
    // exactly the double the stamp decodes to.
    ok = ok && (fval(line) == starttotalsec || std::strcmp(line, expected) == 0);
  }
  int a = 0, b = 0, c = 0, d = 0;
  if (ok) {
    ok = freadln(&fp, line, sizeof line) >= 0 && std::sscanf(line, "%d %d %d %d", &a, &b, &c, &d) == 4;
    ok = ok && static_cast<uint32_t>(a) == fullDecimate && static_cast<uint32_t>(b) == SamplesPerChannel && d == 1 &&
         (c == 0 || (c == 1 && part));
  }
  const uint64_t record = 4ull * ChannelCount;
  uint64_t records = 0;
  if (ok) {
    const off_t here = ftello(fp);
    ok = here >= 0 && static_cast<uint64_t>(here) <= length && record > 0;
    if (ok) {
      const uint64_t body = length - static_cast<uint64_t>(here);
      records = body / record;
      ok = body % record == 0 && records == ExpectedFullRecords();
    }
  }
  if (!ok) {
    if (fp != nullptr) std::fclose(fp);
    return false;
  }
  for (int ch = 0; ch < ChannelCount; ++ch) {
    fullgraph[ch].clearData();
    fullgraph[ch].reserveData(2 * records);
  }
  char text[64];
  std::snprintf(text, sizeof text, "%d of %d", 0, static_cast<int>(records));
  progressbar(0.0, text);
  std::vector<uint16_t> chunk(kRecordsPerRead * 2 * ChannelCount);
  uint64_t count = 0;
  const size_t n = ChannelCount;
  while (count < records) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(kRecordsPerRead, records - count));
    const size_t got = std::fread(chunk.data(), record, want, fp);
    for (size_t r = 0; r < got; ++r) {
      const uint16_t* rec = chunk.data() + r * 2 * n;
      for (size_t ch = 0; ch < n; ++ch) fullgraph[ch].addPair(rec[ch], rec[n + ch]);
      ++count;
      if (count % 5 == 0) {
        std::snprintf(text, sizeof text, "%d of %d", static_cast<int>(count), static_cast<int>(records));
        progressbar(static_cast<double>(count) / static_cast<double>(records), text);
      }
    }
    if (got < want) break;  // the file shrank while it was read
  }
  std::snprintf(text, sizeof text, "%d of %d", static_cast<int>(count), static_cast<int>(records));
  progressbar(records > 0 ? static_cast<double>(count) / static_cast<double>(records) : 0.0, text);
  for (int ch = 0; ch < ChannelCount; ++ch) fullgraph[ch].calcMinMax = c == 0 ? 1 : 0;
  std::fclose(fp);
  progressbar(-1.0, "");
  return true;
}

/*
 * WriteMinMaxCache --
 *   Writes the full graphs to the cache file.
 * Results:
 *   None; a cache that cannot be written is silently skipped.
 * Side effects:
 *   Replaces the cache file, or removes a partly written one.
 */
void WriteMinMaxCache() {
  const size_t n = ChannelCount;
  if (n == 0) return;
  const size_t entries = fullgraph[0].numData();
  for (size_t ch = 0; ch < n; ++ch)
    if (fullgraph[ch].numData() != entries) return;  // a series was lost: nothing consistent to keep
  const std::string path = MinMaxCachePath(fileParse.fname);
  FILE* fp = OpenRegularFile(path.c_str(), "wb");
  if (fp == nullptr) return;
  bool ok = std::fprintf(fp, "T2\n%f\n%d %d %d %d\n", starttotalsec, static_cast<int>(fullDecimate),
                         static_cast<int>(SamplesPerChannel), 0, 1) > 0;
  std::vector<uint16_t> chunk;
  chunk.reserve(kRecordsPerRead * 2 * n);
  for (size_t k = 0; ok && k < entries; k += 2) {
    for (size_t ch = 0; ch < n; ++ch) chunk.push_back(fullgraph[ch].data[k]);
    for (size_t ch = 0; ch < n; ++ch) chunk.push_back(k + 1 < entries ? fullgraph[ch].data[k + 1] : 0);
    if (chunk.size() >= kRecordsPerRead * 2 * n) {
      ok = std::fwrite(chunk.data(), sizeof(uint16_t), chunk.size(), fp) == chunk.size();
      chunk.clear();
    }
  }
  if (ok && !chunk.empty()) ok = std::fwrite(chunk.data(), sizeof(uint16_t), chunk.size(), fp) == chunk.size();
  if (std::fclose(fp) != 0) ok = false;
  if (!ok) unlink(path.c_str());
}

}  // namespace trendel
