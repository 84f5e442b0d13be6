# The XML reader over arbitrary sensor text, with the data-set plug-in behind
# it; seeds in corpus/markal_read (the sensor fixtures of the tests).
orvela_fuzzer(markal_read SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/markal_read_fuzz.cpp LINK serialize comm)
target_include_directories(markal_read PRIVATE ${PROJECT_SOURCE_DIR}/serialization/tallis)
add_dependencies(markal_read markal calnest)
# The reader and the data-set model live in plug-ins loaded by name; fuzz/run.sh
# instruments them for libFuzzer's coverage with ORVELA_FUZZ_COVERAGE, as it
# does every library.
