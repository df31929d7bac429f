# Shared helpers for our own targets: warnings as errors apply to our code only.
function(trwk_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# The sources of a library or test program compiled as one (the headers they share, and the
# templates they instantiate, once for all of them): a build of everything takes half the time. A
# source whose file-local names another source of its target also has is left out of the batch
# (SKIP_UNITY_BUILD_INCLUSION where the target is made). TRWK_UNITY_BUILD=OFF compiles each on its
# own, so that a change recompiles only its source.
option(TRWK_UNITY_BUILD "compile the sources of each library and test program as one" ON)
function(trwk_batches target)
  if(TRWK_UNITY_BUILD)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
  endif()
endfunction()

# trwk_library(name SOURCES...) : one static library per folder of src/
function(trwk_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  trwk_warnings(${name})
  trwk_batches(${name})
endfunction()

# trwk_test(name LABEL label SOURCES... LIBS ...) : one GoogleTest executable per test folder
function(trwk_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL)
    set(T_LABEL unit)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  trwk_warnings(${name})
  trwk_batches(${name})
  if(TRWK_UNITY_BUILD)
    # a fixture in an anonymous namespace of a batched source is taken for one of a header (g++)
    target_compile_options(${name} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  endif()
  # the whole run takes minutes of real time: it starts first, so that the rest run beside it
  set(cost 0)
  if(T_LABEL STREQUAL "e2e")
    set(cost 1000)
  endif()
  gtest_discover_tests(${name} PROPERTIES LABELS ${T_LABEL} COST ${cost} DISCOVERY_TIMEOUT 60)
  set_property(GLOBAL APPEND PROPERTY TRWK_TEST_PROGRAMS ${name})
endfunction()
