# veltrana_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [TIMEOUT <s>]
#                   [TSAN_SUPPRESSIONS <file>])
# Builds one GoogleTest executable and registers it with CTest. Every test runs with a fresh
# HOME, XDG folders and runtime folder (scripts/run-isolated), headless Qt and the
# message-box log mode.
function(veltrana_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT;TSAN_SUPPRESSIONS" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    VELTRANA_BINARY_DIR="${CMAKE_BINARY_DIR}"
    VELTRANA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VELTRANA_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-isolated $<TARGET_FILE:${name}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(VELTRANA_SANITIZE MATCHES "thread")
    # glib (under Qt's event loop and D-Bus thread) is not instrumented: its wake-up eventfd
    # looks like a race to the thread sanitizer.
    if(NOT T_TSAN_SUPPRESSIONS)
      set(T_TSAN_SUPPRESSIONS ${CMAKE_SOURCE_DIR}/tests/tsan_glib.supp)
    endif()
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
                 "TSAN_OPTIONS=suppressions=${T_TSAN_SUPPRESSIONS}")
  endif()
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
