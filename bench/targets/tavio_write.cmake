# Speed of writing a "Velmont" recording through tavio against plain fwrite.
if(TARGET tavio)
  orvela_benchmark(tavio_write_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/../tavio_write_bench.cpp LINK tavio)
  if(TARGET tavio_write_bench)
    target_include_directories(tavio_write_bench PRIVATE ${PROJECT_SOURCE_DIR}/datafile ${PROJECT_SOURCE_DIR}/platform)
  endif()
endif()
