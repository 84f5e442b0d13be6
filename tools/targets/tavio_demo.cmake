# tavio-demo: a demonstration recording written through tavio.so, for the
# viewer's demo and the benchmarks.
set(_tavio_demo_dir ${CMAKE_CURRENT_LIST_DIR}/../tavio_demo)
if(TARGET tavio)
  orvela_program(tavio-demo SOURCES ${_tavio_demo_dir}/tavio_demo.cpp ${_tavio_demo_dir}/demo_signals.cpp
                 LINK tavio)
  target_include_directories(tavio-demo PRIVATE ${_tavio_demo_dir} ${PROJECT_SOURCE_DIR}/datafile
                                                ${PROJECT_SOURCE_DIR}/platform)

  orvela_test(tavio_demo_test SOURCES ${_tavio_demo_dir}/tests/tavio_demo_test.cpp LINK tavio)
  if(TARGET tavio_demo_test)
    target_include_directories(tavio_demo_test PRIVATE ${PROJECT_SOURCE_DIR}/datafile ${PROJECT_SOURCE_DIR}/platform)
    add_dependencies(tavio_demo_test tavio-demo)
  endif()
endif()
