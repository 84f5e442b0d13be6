# The ITS-90 coefficient parser and evaluation behind eu's thermocouple tables
# over arbitrary text; seeds in corpus/its90_coefficients (the real file and
# damaged forms of it).
orvela_fuzzer(its90_coefficients SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/its90_coefficients_fuzz.cpp LINK eu_its90)
