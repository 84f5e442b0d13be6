# Speed of eu: lookups, conversions through a basalt handle, least squares.
orvela_benchmark(eu_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/../eu_bench.cpp LINK eu)
if(TARGET eu_bench)
  add_dependencies(eu_bench basalt)
endif()
