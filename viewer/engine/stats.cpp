// The statistics engine: group sizes, the full graphs of the whole file and
// the sub graphs of the display range, with progress and cancellation.
#include <algorithm>
#include <cmath>

#include "block_scan.h"
#include "engine.h"
#include "et.h"

namespace trendel {

cGraph fullgraph[MAX_CHANNELS];
cGraph graph[MAX_CHANNELS];
uint32_t fullDecimate = 0;
uint32_t subDecimate = 0;
uint64_t subFirstLine = 0;
uint64_t subLastLine = 0;
int analyzing = 0;
uint16_t ff_values[MAX_CHANNELS];
uint16_t zero_values[MAX_CHANNELS];

namespace {

// S, S div 2, S div 4, ...: the largest such group size that still gives at
// least `width` groups of `lines`, or 1.
uint32_t GroupSize(uint64_t lines, int width) {
  uint32_t d = SamplesPerChannel;
  if (d == 0) return 1;
  const uint64_t w = width > 0 ? static_cast<uint64_t>(width) : 0;
  uint64_t q = lines / d;
  while (d > 1 && q < w) {
    d /= 2;
    q = lines / d;
  }
  return d;
}

// Reopens the data file with its padding cut off and moves to `offset`.
bool OpenAt(uint64_t offset) {
  if (!fileParse.reopen()) return false;
  fileParse.size = UsableSize(fileParse.size);
  return fileParse.seekAbs(offset);
}

void Report(uint64_t done, uint64_t total) {
  char text[64];
  std::snprintf(text, sizeof text, "%llu of %llu", static_cast<unsigned long long>(done),
                static_cast<unsigned long long>(total));
  progressbar(total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 0.0, text);
}

// Reads up to `lines` lines into `red`: from the start of a block (its stamp
// included) when `mid_block` is false, else from the data of scan position
// s0.  `progress_total` > 0 reports each block.  Returns false when
// cancelled.
bool Traverse(Reduction& red, bool mid_block, uint32_t s0, uint64_t lines, bool cancellable, uint64_t progress_total) {
  bool first = mid_block;
  uint64_t blocks = 0;
  while (lines > 0) {
    if (cancellable && !analyzing) return false;
    BlockLayout layout;
    if (ReadBlock(first, s0, &layout) == 0) break;
    first = false;
    uint32_t end = layout.row_end;
    if (end - layout.row_begin > lines) end = layout.row_begin + static_cast<uint32_t>(lines);
    red.AddRows(layout, layout.row_begin, end);
    lines -= end - layout.row_begin;
    ++blocks;
    if (progress_total > 0 && blocks <= progress_total) Report(blocks, progress_total);
    if (layout.row_end == layout.row_begin) break;  // nothing usable left
  }
  return !cancellable || analyzing;
}

void SetWindows(cGraph* graphs, int calc_min_max) {
  for (int c = 0; c < ChannelCount; ++c) {
    graphs[c].calcMinMax = calc_min_max;
    graphs[c].x1 = 0;
    graphs[c].x2 = static_cast<int64_t>(graphs[c].numData()) - (calc_min_max ? 2 : 1);
  }
}

/*
 * RunFullLoader --
 *   The whole-block (group = S) and part-block loaders of the full graphs.
 * Results:
 *   None.
 * Side effects:
 *   Fills the full graphs from the cache or the file; writes the cache when
 *   the computation ran to its end; reports progress.
 */
void RunFullLoader() {
  const bool whole = fullDecimate == SamplesPerChannel;
  if (ReadMinMaxCache(!whole)) return;
  const uint64_t block = BlockSize();
  const uint64_t nb = fileParse.size > startpos ? (fileParse.size - startpos) / block : 0;
  const bool shown = nb > 3;
  if (shown) Report(0, nb);
  const uint64_t expected = ExpectedFullRecords();
  if (fullgraph[0].dataCapacity() < 2 * expected)
    for (int c = 0; c < ChannelCount; ++c) fullgraph[c].reserveData(2 * expected);
  Reduction red(fullgraph, fullDecimate);
  Traverse(red, false, 0, numlines, true, shown ? nb : 0);
  // A partly filled last group: a short last block, or in plain files the
  // tail of a part-block grouping.  Enhanced part-block groups are dropped.
  if (red.inGroup() > 0 && (whole || enhanced == 0)) {
    if (!whole && shown) Report(nb, nb);
    red.FlushPartial();
  }
  if (analyzing && fullgraph[0].numData() == 2 * expected) WriteMinMaxCache();
  if (shown) progressbar(-1.0, "");
}

}  // namespace

/*
 * progressbar --
 *   Hands a progress report to the script's progressbar procedure, which
 *   also processes pending events (the Cancel button's StopCalc among them).
 * Results:
 *   None; the script's return code is not looked at.
 * Side effects:
 *   Whatever the script does.
 */
void progressbar(double fraction, const char* message) {
  if (Et_Interp == nullptr) return;
  Et_EvalF(Et_Interp, "progressbar %f \"%q\"", fraction, message);
}

void ComputeFullDecimation() {
  const uint64_t n = numlines;
  const int w = fullgraph[0].sx;
  if (n <= static_cast<uint64_t>(std::max(w, 0))) {
    fullDecimate = 0;
    return;
  }
  fullDecimate = GroupSize(n, w);
}

uint64_t ExpectedFullRecords() {
  if (fullDecimate == 0) return 0;
  const uint64_t d = fullDecimate;
  if (fullDecimate == SamplesPerChannel || enhanced == 0) return (numlines + d - 1) / d;
  return numlines / d;
}

/*
 * ComputeFullStats --
 *   Reduces the whole loaded file into the full graphs.
 * Results:
 *   None.
 * Side effects:
 *   Sets fullDecimate, drops the sub-range memory, refills the full graphs.
 */
void ComputeFullStats() {
  ComputeFullDecimation();
  subDecimate = 0;
  subFirstLine = subLastLine = 0;
  for (int c = 0; c < ChannelCount; ++c) fullgraph[c].clearData();
  if (ChannelCount == 0 || SamplesPerChannel == 0) return;
  if (!OpenAt(startpos)) {
    fileParse.closeFile();
    return;
  }
  if (fullDecimate <= 1) {
    fullDecimate = 0;
    Reduction red(fullgraph, 0);
    Traverse(red, false, 0, numlines, false, 0);
    fileParse.closeFile();
    SetWindows(fullgraph, 0);
    return;
  }
  for (int c = 0; c < ChannelCount; ++c) fullgraph[c].calcMinMax = 1;
  RunFullLoader();
  fileParse.closeFile();
  SetWindows(fullgraph, fullgraph[0].calcMinMax);
}

uint64_t TimeToLine(double t) {
  if (!(g_dClockPeriod > 0.0)) return 0;
  const double line = t / g_dClockPeriod - startsec / g_dClockPeriod;
  if (!(line > 0.0)) return 0;
  if (line >= 1.8e19) return UINT64_MAX / 2;
  return static_cast<uint64_t>(line);
}

FilePos TimeToFilePos(double t) { return LineToFilePos(TimeToLine(t)); }

FilePos LineToFilePos(uint64_t line) {
  FilePos fp{};
  fp.line = line;
  const uint64_t S = SamplesPerChannel != 0 ? SamplesPerChannel : 1;
  const uint64_t block = fp.line / S;
  fp.scan = static_cast<uint32_t>(fp.line % S);
  if (enhanced != 0)
    fp.offset = startpos + block * S * ChannelSize + uint64_t{fp.scan} * sampleOffset[0];
  else
    fp.offset = startpos + block * (S * ChannelSize + kStampSize) + uint64_t{fp.scan} * ChannelSize + kStampSize;
  return fp;
}

/*
 * ComputeSubStats --
 *   Makes the sub graphs show the range t1 to t2: from the full graphs when
 *   they are detailed enough, from the last loaded range when it covers this
 *   one, or else by reading that range of the file.
 * Results:
 *   None.
 * Side effects:
 *   Sets the display range, the graph windows and the sub-range memory.
 */
void ComputeSubStats(double t1, double t2) {
  if (t2 < t1 || t1 < startsec || t2 > endsec) return;
  if (ChannelCount == 0 || numlines == 0) return;
  starttime = t1;
  endtime = t2;
  // Rounding can put the last time one line past the end: stay inside.
  const FilePos from = LineToFilePos(std::min(TimeToLine(t1), numlines - 1));
  const uint64_t first = from.line;
  const uint64_t last = std::min(TimeToLine(t2), numlines - 1);
  const uint64_t fi = fullDecimate ? first / fullDecimate : first;
  const uint64_t li = fullDecimate ? last / fullDecimate : last;
  if (static_cast<int64_t>(li - fi + 1) >= fullgraph[0].sx) {
    for (int c = 0; c < ChannelCount; ++c) {
      graph[c].useFullGraph = 1;
      const int64_t k = fullgraph[c].calcMinMax + 1;
      fullgraph[c].x1 = k * static_cast<int64_t>(fi);
      fullgraph[c].x2 = k * (static_cast<int64_t>(li) - 1);
    }
    return;
  }
  for (int c = 0; c < ChannelCount; ++c) graph[c].useFullGraph = 0;
  const int w = graph[0].sx;
  if (subDecimate > 0 && first >= subFirstLine && last <= subLastLine) {
    const uint64_t a = (first - subFirstLine) / subDecimate;
    const uint64_t b = (last - subFirstLine) / subDecimate;
    if (static_cast<int64_t>(b - a + 1) >= w) {
      for (int c = 0; c < ChannelCount; ++c) {
        const int64_t k = graph[c].calcMinMax + 1;
        graph[c].x1 = k * static_cast<int64_t>(a);
        graph[c].x2 = k * static_cast<int64_t>(b);
      }
      return;
    }
  }
  subFirstLine = first;
  subLastLine = last;
  const uint64_t n = last - first + 1;
  const uint32_t s0 = from.scan;
  for (int c = 0; c < ChannelCount; ++c) graph[c].clearData();
  if (!OpenAt(from.offset)) {
    fileParse.closeFile();
    subDecimate = 0;
    SetWindows(graph, 0);
    return;
  }
  const uint32_t d = n >= static_cast<uint64_t>(std::max(w, 0)) ? GroupSize(n, w) : 0;
  if (d > 1) {
    subDecimate = d;
    const uint64_t S = SamplesPerChannel;
    uint64_t nb;
    if (s0 <= n) {
      nb = (n - s0) / S + (s0 > 0 ? 1 : 0);
      if (nb < 1) nb = 1;
    } else {
      nb = s0 + n > S ? 2 : 1;
    }
    const bool shown = nb > 3;
    if (shown) Report(0, nb);
    Reduction red(graph, subDecimate);
    Traverse(red, true, s0, n, true, shown ? nb : 0);
    if (red.inGroup() > 0) {
      if (shown) Report(nb, nb);
      red.FlushPartial();
    }
    if (shown) progressbar(-1.0, "");
    fileParse.closeFile();
    SetWindows(graph, 1);
  } else {
    subDecimate = 0;
    Reduction red(graph, 0);
    Traverse(red, true, s0, n, true, 0);
    fileParse.closeFile();
    SetWindows(graph, 0);
  }
}

}  // namespace trendel
