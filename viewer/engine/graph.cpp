// cGraph: growth of the series and the point list.
#include "graph.h"

#include <new>

namespace trendel {

void cGraph::addData(uint16_t value) {
  if (data_failed) return;
  try {
    data.push_back(value);
  } catch (const std::bad_alloc&) {
    data_failed = true;
    std::vector<uint16_t>().swap(data);
  }
}

void cGraph::addPair(uint16_t lo, uint16_t hi) {
  addData(lo);
  addData(hi);
}

void cGraph::addPoint(int x, int y) {
  if (points_failed) return;
  try {
    points.push_back(GraphPoint{x, y});
  } catch (const std::bad_alloc&) {
    points_failed = true;
    std::vector<GraphPoint>().swap(points);
  }
}

void cGraph::clearData() {
  data.clear();
  points.clear();
  data_failed = false;
  points_failed = false;
}

void cGraph::reserveData(size_t entries) {
  if (data_failed) return;
  try {
    data.reserve(entries);
  } catch (const std::exception&) {
    // Growing step by step later is still possible.
  }
}

}  // namespace trendel
