# tieba_add_fuzz_replay(<name> SOURCES <test source> TARGETS <fuzz target>... LIBS <library>...):
# a GoogleTest binary that replays the kept inputs of the fuzz targets (tests/fuzz/corpus and
# tests/fuzz/regressions) through their entry functions. Built in every build, with any compiler.
set(TIEBA_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
function(tieba_add_fuzz_replay name)
  cmake_parse_arguments(ARG "" "" "SOURCES;TARGETS;LIBS" ${ARGN})
  set(sources ${ARG_SOURCES} ${TIEBA_FUZZ_DIR}/replay_test.cpp ${TIEBA_FUZZ_DIR}/fuzz_support.cpp)
  foreach(target ${ARG_TARGETS})
    list(APPEND sources ${TIEBA_FUZZ_DIR}/targets/${target}.cpp)
  endforeach()
  tieba_add_gtest(${name} SOURCES ${sources} LIBS ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE TIEBA_FUZZ_INPUTS="${TIEBA_FUZZ_DIR}")
endfunction()
