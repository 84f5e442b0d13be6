# The XML reader over arbitrary sensor text, with the data-set plug-in behind
# it; seeds in corpus/markal_read (the sensor fixtures of the tests).
orvela_fuzzer(markal_read SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/markal_read_fuzz.cpp LINK serialize comm)
target_include_directories(markal_read PRIVATE ${PROJECT_SOURCE_DIR}/serialization/tallis)
add_dependencies(markal_read markal calnest)
if(ORVELA_FUZZ AND TARGET markal AND TARGET calnest)
  # The reader and the data-set model live in plug-ins loaded by name; give
  # them coverage counters so that libFuzzer sees what the input reaches (the
  # sanitizer runtime of any other program answers these hooks with no-ops).
  target_compile_options(markal PRIVATE -fsanitize=fuzzer-no-link)
  target_compile_options(calnest PRIVATE -fsanitize=fuzzer-no-link)
endif()
