# The data file reader over arbitrary files: TAVIO_ReadDataFile, then every
# sample of every channel in modes 0 to 2 and the sample times; seeds in
# corpus/tavio_read (recordings in every header form, digital, segmented and
# container files).  Containers load kepr.so from the working directory.
orvela_fuzzer(tavio_read SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tavio_read_fuzz.cpp LINK tavio)
target_include_directories(tavio_read PRIVATE ${PROJECT_SOURCE_DIR}/datafile ${PROJECT_SOURCE_DIR}/platform)
if(TARGET kepr)
  add_dependencies(tavio_read kepr)
endif()
