# Speed of reading a "Velmont" recording sample by sample through tavio
# against a plain loop over the file in memory, and of translating one into
# "KEPR" against copying the file.  Run it in build/bin (kepr.so is loaded
# from the working directory).
if(TARGET tavio)
  orvela_benchmark(tavio_read_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/../tavio_read_bench.cpp LINK tavio)
  if(TARGET tavio_read_bench)
    target_include_directories(tavio_read_bench PRIVATE ${PROJECT_SOURCE_DIR}/datafile ${PROJECT_SOURCE_DIR}/platform)
    if(TARGET kepr)
      add_dependencies(tavio_read_bench kepr)
    endif()
  endif()
endif()
