# The viewer engine over arbitrary data files (and ".mm" caches): GetFileInfo,
# the full and sub computations and the point lists; seeds in corpus/viewer_engine.
if(TARGET trendel_engine)
  orvela_fuzzer(viewer_engine SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/viewer_engine_fuzz.cpp LINK trendel_engine)
endif()
