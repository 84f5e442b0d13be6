// cGraph: one channel's reduced series (raw 16-bit counts, single samples or
// minimum/maximum pairs) and the point list drawn from it.
#ifndef TRENDEL_ENGINE_GRAPH_H
#define TRENDEL_ENGINE_GRAPH_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace trendel {

struct GraphPoint {
  int x;
  int y;
};

class cGraph {
 public:
  // Appends one entry; once an allocation has failed the series is dropped
  // and further entries are refused.
  void addData(uint16_t value);
  // Appends a minimum/maximum pair.
  void addPair(uint16_t lo, uint16_t hi);
  void addPoint(int x, int y);
  // Empties series and point list, keeping their memory.
  void clearData();
  // Makes room for `entries` entries at once.
  void reserveData(size_t entries);
  size_t dataCapacity() const { return data.capacity(); }
  uint32_t numData() const { return static_cast<uint32_t>(data.size()); }
  uint32_t numPoints() const { return static_cast<uint32_t>(points.size()); }

  int sx = 0;
  int sy = 0;
  double minyval = -10.0;
  double maxyval = 10.0;
  std::vector<uint16_t> data;
  std::vector<GraphPoint> points;
  // Window into data; signed so that an empty series cannot wrap around.
  int64_t x1 = 0;
  int64_t x2 = 0;
  int decimate = 1;
  int calcMinMax = 0;
  int64_t decipoints = 0;
  double decipointsPerPixel = 0.0;
  double pixelsPerDecipoint = 0.0;
  int useFullGraph = 0;
  bool data_failed = false;
  bool points_failed = false;
};

}  // namespace trendel

#endif
