# decodeurl over arbitrary URL text; seeds in corpus/decodeurl.
orvela_fuzzer(decodeurl SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/decodeurl_fuzz.cpp LINK ostrel)
