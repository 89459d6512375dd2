# veltrana_add_test(<name> SOURCES <files...> LIBS <targets...> [QT] [LABELS <labels...>]
#                   [TIMEOUT <s>] [SHARDS <n>] [DEFINITIONS <defs...>] [DEPENDS <targets...>]
#                   [LAUNCHER <command...>] [TSAN_SUPPRESSIONS <file>] [ENVIRONMENT <vars...>]
#                   [COST <s>] [PROCESSORS <n>])
# Builds one GoogleTest executable (one per test folder, or per real need) and registers it
# with CTest. Every test runs with a fresh HOME, XDG folders and runtime folder
# (scripts/run-isolated), headless Qt and the message-box log mode, under LAUNCHER if given.
# QT: the sources use Qt's widgets or QTest; the program links Widgets, Network and Test.
# SHARDS: the program is registered <n> times as <name>_1 ... <name>_n, each running its
# share of the cases (GoogleTest sharding), so that a long program keeps both cores busy.
# COST: about how many seconds each of its CTest tests takes, so that a first run (no
# Testing/Temporary/CTestCostData.txt yet) starts the long ones first rather than last.
# PROCESSORS: the slots of ctest -j it takes in a build without sanitizers, for a program that
# keeps a core busy (a web engine, a screen reader) while scripts/test runs more tests than
# there are cores; a sanitizer suite keeps one slot a test, as before.
function(veltrana_add_test name)
  cmake_parse_arguments(T "QT" "TIMEOUT;SHARDS;TSAN_SUPPRESSIONS;COST;PROCESSORS"
                        "SOURCES;LIBS;LABELS;DEFINITIONS;DEPENDS;LAUNCHER;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  if(T_QT)
    target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::Network Qt6::Test)
    veltrana_precompile(${name} qttest)
  else()
    # The set's precompiled headers include cpp-httplib's, with the macros of its build.
    target_link_libraries(${name} PRIVATE PkgConfig::CPPHTTPLIB)
    veltrana_precompile(${name} test)
  endif()
  veltrana_test_optimisation(${name})
  veltrana_unity(${name} 8)
  # A batch includes the test files, so GCC takes a test's fixture in an anonymous namespace
  # for one declared in a header and warns about every case derived from it.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${name} PRIVATE -Wno-subobject-linkage)
  endif()
  target_compile_definitions(${name} PRIVATE
    VELTRANA_BINARY_DIR="${CMAKE_BINARY_DIR}"
    VELTRANA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VELTRANA_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    ${T_DEFINITIONS})
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()

  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(environment ${T_ENVIRONMENT})
  if(VELTRANA_SANITIZE MATCHES "thread")
    # The libraries that are not instrumented (glib, cpp-httplib), whose own synchronisation
    # the thread sanitizer cannot see; tests/tsan.supp says why for each.
    if(NOT T_TSAN_SUPPRESSIONS)
      set(T_TSAN_SUPPRESSIONS ${CMAKE_SOURCE_DIR}/tests/tsan.supp)
    endif()
    list(APPEND environment "TSAN_OPTIONS=suppressions=${T_TSAN_SUPPRESSIONS}")
  endif()

  set(tests ${name})
  if(T_SHARDS GREATER 1)
    set(tests "")
    foreach(i RANGE 1 ${T_SHARDS})
      list(APPEND tests ${name}_${i})
    endforeach()
  endif()
  set(index 0)
  foreach(test ${tests})
    add_test(NAME ${test} COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-isolated ${T_LAUNCHER}
                                  $<TARGET_FILE:${name}>)
    set_tests_properties(${test} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_LABELS)
      set_tests_properties(${test} PROPERTIES LABELS "${T_LABELS}")
    endif()
    if(T_COST)
      set_tests_properties(${test} PROPERTIES COST ${T_COST})
    endif()
    if(T_PROCESSORS AND NOT VELTRANA_SANITIZE)
      set_tests_properties(${test} PROPERTIES PROCESSORS ${T_PROCESSORS})
    endif()
    set(test_environment ${environment})
    if(T_SHARDS GREATER 1)
      list(APPEND test_environment GTEST_TOTAL_SHARDS=${T_SHARDS} GTEST_SHARD_INDEX=${index})
    endif()
    if(test_environment)
      set_property(TEST ${test} PROPERTY ENVIRONMENT "${test_environment}")
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
endfunction()
