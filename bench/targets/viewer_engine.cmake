# The viewer engine on 1 GiB recordings: full computation against a plain
# read, the cache, zoom and draw; bench/viewer_engine/run.sh prints the ratios.
if(TARGET trendel_engine)
  orvela_benchmark(viewer_engine_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/viewer_engine/viewer_engine_bench.cpp
                   LINK trendel_engine)
endif()
