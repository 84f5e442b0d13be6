// Channel data for display: times at fractions of the file, and the point
// list of one channel scaled into its pixel box.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "engine.h"

namespace trendel {

namespace {

// Heights are kept within this many pixels of the box so that a value far
// outside the scale, an infinite one (counts per volt of 0) or a scale
// whose bottom equals its top still gives a finite integer.
constexpr double kHeightLimit = 1.0e6;

int Height(const cGraph& g, double v, double ydiff) {
  double h = g.sy * (v - g.minyval) / ydiff;
  if (std::isnan(h)) h = 0.0;
  if (h > kHeightLimit) h = kHeightLimit;
  if (h < -kHeightLimit) h = -kHeightLimit;
  // A box height near the int limits must not overflow either.
  const int64_t y = int64_t{g.sy} - static_cast<int64_t>(h);
  if (y > INT32_MAX) return INT32_MAX;
  if (y < INT32_MIN) return INT32_MIN;
  return static_cast<int>(y);
}

int ToPixel(double x) {
  if (x > 2.0e9) return 2000000000;
  if (x < -2.0e9) return -2000000000;
  return static_cast<int>(x);
}

uint16_t RefAt(const cGraph* ref, int64_t i) {
  if (ref == nullptr || i < 0 || i >= static_cast<int64_t>(ref->data.size())) return 0;
  return ref->data[static_cast<size_t>(i)];
}

}  // namespace

double PercentTime(int full, double fraction) {
  if (full != 0) return startsec + (endsec - startsec) * fraction;
  return starttime + (endtime - starttime) * fraction;
}

/*
 * ScaleToWindow --
 *   Fills a graph's point list from its window x1..x2, converted to EU and
 *   mapped into sx by sy pixels: one minimum and one maximum point per
 *   pixel column when there are more data points than pixels, else one x
 *   position per data point.
 * Results:
 *   None.
 * Side effects:
 *   Replaces g's points and sets decipoints and the two scale factors.
 */
void ScaleToWindow(cGraph& g, const cGraph* ref, int c) {
  const double ydiff = g.maxyval - g.minyval;
  g.points.clear();
  const int64_t step = g.decimate > 0 ? g.decimate : 1;
  int64_t u;
  if (g.calcMinMax) {
    u = g.x2 - g.x1 + 2;
    g.decipoints = u / (2 * step);
  } else {
    u = g.x2 - g.x1 + 1;
    g.decipoints = u / step;
  }
  if (g.decipoints <= 1) {
    g.decipointsPerPixel = g.pixelsPerDecipoint = 0.0;
  } else {
    g.decipointsPerPixel = static_cast<double>(g.decipoints - 1) / g.sx;
    g.pixelsPerDecipoint = g.sx / static_cast<double>(g.decipoints - 1);
  }
  const auto& d = g.data;
  const int64_t nd = static_cast<int64_t>(d.size());
  if (g.x1 < 0 || g.x1 >= nd) return;
  if (g.decipointsPerPixel >= 1.0) {
    double covered = 0.0;
    int column = 0;
    int64_t i = 0;
    uint16_t lo = 0xFFFF, hi = 0;
    uint16_t ref_lo = 0, ref_hi = 0;
    while (i < u && g.x1 + i < nd) {
      const int64_t at = g.x1 + i;
      if (covered < column + 1) {
        if (g.calcMinMax) {
          if (d[at] < lo) {
            lo = d[at];
            ref_lo = RefAt(ref, at);
          }
          if (at + 1 < nd && d[at + 1] > hi) {
            hi = d[at + 1];
            ref_hi = RefAt(ref, at);
          }
          i += 2;
        } else {
          if (d[at] < lo) {
            lo = d[at];
            ref_lo = RefAt(ref, at);
          }
          if (d[at] > hi) {
            hi = d[at];
            ref_hi = RefAt(ref, at);
          }
          i += step;
        }
        covered += g.pixelsPerDecipoint;
      } else {
        g.addPoint(column, Height(g, Counts2EU(lo, ref_lo, c), ydiff));
        g.addPoint(column, Height(g, Counts2EU(hi, ref_hi, c), ydiff));
        ++column;
        lo = 0xFFFF;
        hi = 0;
      }
    }
    return;
  }
  double xx = 0.0;
  for (int64_t i = g.x1; i < nd;) {
    const int x = ToPixel(xx);
    if (g.calcMinMax) {
      if (i + 1 >= nd) break;
      g.addPoint(x, Height(g, Counts2EU(d[i], RefAt(ref, i), c), ydiff));
      g.addPoint(x, Height(g, Counts2EU(d[i + 1], RefAt(ref, i + 1), c), ydiff));
      i += 2;
    } else {
      g.addPoint(x, Height(g, Counts2EU(d[i], RefAt(ref, i), c), ydiff));
      i += 1;
    }
    xx += g.pixelsPerDecipoint;
  }
}

/*
 * ChannelPointList --
 *   The work of GetChannelData for channel index c (mapped, checked).
 * Results:
 *   The point list "x y x y ...", empty for a graph without points.
 * Side effects:
 *   Sets the chosen graph's box (and its EU range when given).
 */
std::string ChannelPointList(int full, int c, int width, int height, bool has_range, double bottom, double top) {
  const bool use_full = full != 0 || graph[c].useFullGraph == 1;
  cGraph& g = use_full ? fullgraph[c] : graph[c];
  if (has_range) {
    g.minyval = bottom;
    g.maxyval = top;
  }
  g.sx = width;
  g.sy = height;
  const int r = iRefChannel[c];
  const cGraph* ref = nullptr;
  if (r >= 0 && r < MAX_CHANNELS) ref = use_full ? &fullgraph[r] : &graph[r];
  ScaleToWindow(g, ref, c);
  // "%d %d" for the first point, " %d %d" for each further one; written with
  // to_chars, which the drawing of every channel at every zoom step calls
  // thousands of times.
  std::string text(g.points.size() * 24, '\0');
  char* out = text.data();
  char* const end = text.data() + text.size();
  for (size_t k = 0; k < g.points.size(); ++k) {
    if (k > 0) *out++ = ' ';
    out = std::to_chars(out, end, g.points[k].x).ptr;
    *out++ = ' ';
    out = std::to_chars(out, end, g.points[k].y).ptr;
  }
  text.resize(static_cast<size_t>(out - text.data()));
  return text;
}

}  // namespace trendel
