# The container parser over arbitrary files: KEPRParse, then KEPRSetSample; seeds in corpus/kepr_parse.
orvela_fuzzer(kepr_parse SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/kepr_parse_fuzz.cpp LINK kepr)
