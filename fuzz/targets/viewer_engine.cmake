# The viewer engine over arbitrary data files (and ".mm" caches): GetFileInfo,
# the full and sub computations and the point lists; seeds in corpus/viewer_engine.
# The engine's sources are compiled into the target itself so that libFuzzer
# sees their coverage.
if(TARGET trendel_engine)
  get_target_property(engine_sources trendel_engine SOURCES)
  get_target_property(engine_dir trendel_engine SOURCE_DIR)
  list(TRANSFORM engine_sources PREPEND ${engine_dir}/)
  orvela_fuzzer(viewer_engine SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/viewer_engine_fuzz.cpp ${engine_sources}
                LINK orvela_platform ${TCL_LIBRARY} $<TARGET_NAME_IF_EXISTS:trendel_host>)
  target_include_directories(viewer_engine PRIVATE ${engine_dir} ${TCL_INCLUDE_PATH} ${PROJECT_SOURCE_DIR}/viewer/host)
endif()
