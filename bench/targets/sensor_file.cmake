# Speed of the sensor file: read all of 1000 data sets x 20 points, and set
# one and write back; libxml2's xmlReadFile on the same file for comparison
# when libxml2 is installed (it is not needed otherwise).
orvela_benchmark(sensor_file_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/../sensor_file_bench.cpp LINK eu)
if(TARGET sensor_file_bench)
  add_dependencies(sensor_file_bench basalt drover markal calnest)
  find_package(LibXml2 QUIET)
  if(LibXml2_FOUND)
    target_link_libraries(sensor_file_bench PRIVATE LibXml2::LibXml2)
    target_compile_definitions(sensor_file_bench PRIVATE ORVELA_BENCH_LIBXML2)
  else()
    message(STATUS "libxml2 not found: sensor_file_bench runs without the comparison")
  endif()
endif()
