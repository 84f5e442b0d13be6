# Build conventions shared by every component of the product.
#
#   orvela_library(NAME SOURCES ... [LINK ...] [JNI])
#       A shared library NAME.so (JNI bridges: libNAME.so) in build/bin, symbols
#       hidden unless marked for export.  When NAME.symbols stands beside the
#       component's CMakeLists.txt, a test compares the exported symbols with it.
#   orvela_program(NAME SOURCES ... [LINK ...])
#       A program in build/bin.
#   orvela_test(NAME SOURCES ... [LINK ...] [LABELS ...] [WORKING_DIRECTORY dir])
#       A GoogleTest program in build/bin whose cases are registered with CTest.
#   orvela_test_library(NAME SOURCES ... [LINK ...])
#       A shared library NAME.so in build/bin that only tests load (a plug-in or
#       a probe); not installed.  Give it a name no product library can have.
#   orvela_fuzzer(NAME SOURCES ... [LINK ...] [CORPUS dir])
#       A libFuzzer target (clang with ORVELA_FUZZ) or a replay program (any
#       compiler); CTest replays every file of the corpus through it.
#   orvela_benchmark(NAME SOURCES ... [LINK ...])
#       A Google Benchmark program in build/bin (not run by CTest).

set(ORVELA_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${ORVELA_BIN_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${ORVELA_BIN_DIR})
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

# Every program and library lives in one directory and finds its siblings there.
set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)
set(CMAKE_INSTALL_RPATH "$ORIGIN")
add_link_options(-Wl,--enable-new-dtags)

set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)

add_compile_options(-Wall -Wextra)

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(ORVELA_FUZZ_DEFAULT ON)
else()
  set(ORVELA_FUZZ_DEFAULT OFF)
endif()
option(ORVELA_FUZZ "Link fuzz targets with libFuzzer (clang only)" ${ORVELA_FUZZ_DEFAULT})
option(ORVELA_FUZZ_COVERAGE "Instrument every library for libFuzzer's coverage (fuzz/run.sh)" OFF)
if(ORVELA_FUZZ AND ORVELA_FUZZ_COVERAGE)
  # Without it libFuzzer sees only the target's own file, not the parser it calls.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(ORVELA_SANITIZE)
  set(ORVELA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${ORVELA_SANITIZER_FLAGS})
  add_link_options(${ORVELA_SANITIZER_FLAGS})
  # Programs link the sanitizer runtimes statically (the compiler's default);
  # shared libraries leave them undefined and take them from the program that
  # loads them, which is why --no-undefined is dropped for them below.
endif()

# In a working tree shared with others, a component's CMakeLists.txt may name a
# file that is not written yet.  With this option such a target is built from
# an empty placeholder instead (left out of "all", its tests not registered)
# with a warning, so the configure step and every other target still work; CI
# leaves it off.
option(ORVELA_SKIP_INCOMPLETE "Build targets whose source files are missing as empty placeholders" OFF)

# Sets `out` to TRUE when every source exists (relative ones beside the
# calling CMakeLists.txt); otherwise warns (with ORVELA_SKIP_INCOMPLETE) and
# sets FALSE.
function(_orvela_sources_present out name)
  set(${out} TRUE PARENT_SCOPE)
  if(NOT ORVELA_SKIP_INCOMPLETE)
    return()
  endif()
  foreach(src IN LISTS ARGN)
    if(NOT src MATCHES "^\\$<" AND NOT IS_ABSOLUTE ${src})
      set(src ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endif()
    if(NOT src MATCHES "^\\$<" AND NOT EXISTS ${src})
      message(WARNING "${name} is a placeholder: ${src} does not exist yet")
      set(${out} FALSE PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

# Declares `name` from an empty source, so that the commands that follow its
# declaration (dependencies, definitions) still find a target.
function(_orvela_placeholder name kind)
  set(stub ${CMAKE_BINARY_DIR}/orvela_placeholder.cpp)
  if(NOT EXISTS ${stub})
    file(WRITE ${stub} "// Stands in for a target whose sources are not written yet.\nint main() { return 0; }\n")
  endif()
  if(kind STREQUAL "EXECUTABLE")
    add_executable(${name} EXCLUDE_FROM_ALL ${stub})
  else()
    add_library(${name} SHARED EXCLUDE_FROM_ALL ${stub})
    set_target_properties(${name} PROPERTIES PREFIX "")
  endif()
endfunction()

include(GNUInstallDirs)
set(ORVELA_INSTALL_BIN bin)

# Creates target `name` of `kind` (SHARED or EXECUTABLE) from ARG_SOURCES,
# linked privately with ARG_LINK, as parsed by the calling function; when a
# source is missing (ORVELA_SKIP_INCOMPLETE) it makes the placeholder and
# returns from the calling function instead.
macro(_orvela_target name kind)
  _orvela_sources_present(present ${name} ${ARG_SOURCES})
  if(NOT present)
    _orvela_placeholder(${name} ${kind})
    return()
  endif()
  if("${kind}" STREQUAL "SHARED")
    add_library(${name} SHARED ${ARG_SOURCES})
  else()
    add_executable(${name} ${ARG_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LINK})
endmacro()

function(orvela_library name)
  cmake_parse_arguments(ARG "JNI" "" "SOURCES;LINK" ${ARGN})
  _orvela_target(${name} SHARED)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT ARG_JNI)
    set_target_properties(${name} PROPERTIES PREFIX "")
  endif()
  if(NOT ORVELA_SANITIZE)
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
  install(TARGETS ${name} LIBRARY DESTINATION ${ORVELA_INSTALL_BIN} RUNTIME DESTINATION ${ORVELA_INSTALL_BIN})
  set(symbols ${CMAKE_CURRENT_SOURCE_DIR}/${name}.symbols)
  if(EXISTS ${symbols})
    # The list is also the linker's: nothing else leaves the library, not even
    # the template instances and type descriptions that unoptimised or
    # sanitized builds emit with default visibility.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${symbols})
    file(STRINGS ${symbols} exported REGEX "^[^#]")
    list(TRANSFORM exported STRIP)
    list(REMOVE_ITEM exported "")
    set(script "{\n  global:\n")
    foreach(sym IN LISTS exported)
      string(APPEND script "    ${sym};\n")
    endforeach()
    string(APPEND script "  local: *;\n};\n")
    set(version_script ${CMAKE_CURRENT_BINARY_DIR}/${name}.version)
    file(WRITE ${version_script} "${script}")
    target_link_options(${name} PRIVATE -Wl,--version-script=${version_script})
    set_target_properties(${name} PROPERTIES LINK_DEPENDS ${version_script})
  endif()
  if(ORVELA_BUILD_TESTS AND EXISTS ${symbols})
    add_test(NAME ${name}.exports
             COMMAND ${CMAKE_COMMAND} -DLIBRARY=$<TARGET_FILE:${name}> -DEXPECTED=${symbols}
                     -P ${PROJECT_SOURCE_DIR}/cmake/check_exports.cmake)
  endif()
endfunction()

function(orvela_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  _orvela_target(${name} EXECUTABLE)
  install(TARGETS ${name} RUNTIME DESTINATION ${ORVELA_INSTALL_BIN})
endfunction()

# Adds the calling component's tests/ folder when tests are built and the
# folder has a CMakeLists.txt; with ORVELA_BUILD_TESTS off nothing in it is
# configured, so its targets' properties are not set on missing targets.
macro(orvela_add_tests)
  if(ORVELA_BUILD_TESTS AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests/CMakeLists.txt)
    add_subdirectory(tests)
  endif()
endmacro()

function(orvela_test name)
  if(NOT ORVELA_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "WORKING_DIRECTORY" "SOURCES;LINK;LABELS" ${ARGN})
  if(NOT ARG_WORKING_DIRECTORY)
    set(ARG_WORKING_DIRECTORY ${ORVELA_BIN_DIR})
  endif()
  _orvela_target(${name} EXECUTABLE)
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE ORVELA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                             ORVELA_BIN_DIR="${ORVELA_BIN_DIR}")
  # Cases are named "<program>.<suite>.<case>", so `ctest -R <program>` selects one program.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY} TEST_PREFIX "${name}." NO_PRETTY_VALUES
                       PROPERTIES LABELS "${ARG_LABELS}" DISCOVERY_TIMEOUT 60)
endfunction()

function(orvela_test_library name)
  if(NOT ORVELA_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  _orvela_target(${name} SHARED)
  set_target_properties(${name} PROPERTIES PREFIX "")
endfunction()

function(orvela_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LINK" ${ARGN})
  _orvela_target(${name} EXECUTABLE)
  if(ORVELA_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
  endif()
  if(NOT ARG_CORPUS)
    set(ARG_CORPUS ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  endif()
  if(ORVELA_BUILD_TESTS AND EXISTS ${ARG_CORPUS})
    # -runs=0 makes libFuzzer run the corpus once and stop; the replay program ignores it.
    add_test(NAME ${name}.corpus COMMAND ${name} -runs=0 ${ARG_CORPUS} WORKING_DIRECTORY ${ORVELA_BIN_DIR})
    set_tests_properties(${name}.corpus PROPERTIES LABELS fuzz)
  endif()
endfunction()

function(orvela_benchmark name)
  if(NOT ORVELA_BUILD_BENCH)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  _orvela_target(${name} EXECUTABLE)
  target_link_libraries(${name} PRIVATE benchmark::benchmark)
endfunction()
