# How the tree compiles fast on a small machine: the compiler cache when it is installed, line
# tables instead of full debug information, test code at -O1, precompiled headers shared
# between targets and unity batches. bench/build-time.sh measures the result.

# The compiler cache is used when installed and never required. Precompiled headers are
# cached only with this sloppiness.
if(NOT CMAKE_CXX_COMPILER_LAUNCHER AND NOT DEFINED ENV{CMAKE_CXX_COMPILER_LAUNCHER})
  find_program(VELTRANA_CCACHE ccache)
  if(VELTRANA_CCACHE)
    set(_launcher ${CMAKE_COMMAND} -E env
        CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
        ${VELTRANA_CCACHE})
    set(CMAKE_C_COMPILER_LAUNCHER ${_launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${_launcher})
  endif()
endif()

# Line tables are what sanitizer reports, backtraces and perf need; full -g makes every
# object several times larger and the links slower, for variables nobody inspects in CI.
set(VELTRANA_DEBUG_INFO "-g1" CACHE STRING
    "Debug information of the optimised build with debug info (-g1 line tables, -g full)")
add_compile_options("$<$<CONFIG:RelWithDebInfo>:${VELTRANA_DEBUG_INFO}>")

# The test programs' own code compiles at -O1: the time of an optimised test build goes to
# GCC's optimiser over long test bodies, while the tests wait for sockets and processes. The
# code under test keeps the build's own level. Under the sanitizers, whose checks make those
# bodies far longer to optimise, the test code compiles at -O0.
if(VELTRANA_SANITIZE)
  set(_test_level -O0)
else()
  set(_test_level -O1)
endif()
function(veltrana_test_optimisation target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo,Release>:${_test_level}>)
endfunction()

# Precompiled headers. Each set is built once, by a small anchor target of its own, and
# reused by every target of the set; a target of a set must define the anchor's macros alike
# and test none it defines otherwise (the Qt module macros), or GCC ignores the header with
# a warning (-Winvalid-pch) and the build is only slower.
option(VELTRANA_PCH "Precompile the heavy headers" ON)

set(_std <algorithm> <atomic> <chrono> <cstdint> <cstdio> <cstdlib> <cstring> <functional>
         <map> <memory> <mutex> <optional> <string> <string_view> <thread> <vector>)
set(_qt <QApplication> <QObject> <QString> <QWidget> <QLabel> <QPainter> <QTimer>
        <QKeyEvent> <QPushButton> <QVBoxLayout> <QFontMetrics> <QPointer>)
set(_test <gtest/gtest.h> <filesystem> <fstream> <sstream> <unistd.h> <sys/stat.h>)
# cpp-httplib's pkg-config file defines the macros its header tests.
if(NOT TARGET PkgConfig::CPPHTTPLIB)
  pkg_check_modules(CPPHTTPLIB REQUIRED IMPORTED_TARGET GLOBAL cpp-httplib)
endif()

# core: the plain C++ libraries. qt: the Qt libraries. test: the test programs without Qt;
# qttest: the test programs with Qt (each links Widgets, Network and Test, so the macros
# agree).
set(VELTRANA_PCH_core ${_std})
set(VELTRANA_PCH_qt ${_std} ${_qt})
set(VELTRANA_PCH_test ${_std} ${_test} <httplib.h>)
set(VELTRANA_PCH_qttest ${_std} ${_qt} ${_test} <QDir> <QTemporaryDir>)
set(VELTRANA_PCH_core_libs Threads::Threads)
set(VELTRANA_PCH_qt_libs Threads::Threads Qt6::Core Qt6::Gui Qt6::Widgets)
set(VELTRANA_PCH_test_libs Threads::Threads GTest::gtest PkgConfig::CPPHTTPLIB)
# Neither Qt6::Test nor <QTest>: Qt defines QT_TESTCASE_BUILDDIR as each test's own folder,
# and a macro defined otherwise than at the header's build makes GCC ignore the header.
set(VELTRANA_PCH_qttest_libs Threads::Threads GTest::gtest Qt6::Core Qt6::Gui Qt6::Widgets
    Qt6::Network)

# veltrana_precompile(<target> <set>): <target> compiles with the headers of <set>.
function(veltrana_precompile target set)
  if(NOT VELTRANA_PCH)
    return()
  endif()
  set(anchor veltrana_pch_${set})
  if(NOT TARGET ${anchor})
    # Executables compile as position-independent executables, libraries with -fPIC: the
    # anchor is of the same kind as the targets of its set.
    set(source ${CMAKE_BINARY_DIR}/pch/${set}.cpp)
    if(set MATCHES "test")
      file(WRITE ${source} "int main() { return 0; }\n")
      add_executable(${anchor} EXCLUDE_FROM_ALL ${source})
    else()
      file(WRITE ${source} "int veltrana_pch_${set}_anchor;\n")
      add_library(${anchor} STATIC EXCLUDE_FROM_ALL ${source})
    endif()
    target_link_libraries(${anchor} PRIVATE ${VELTRANA_PCH_${set}_libs})
    if(set MATCHES "test")
      veltrana_test_optimisation(${anchor})
    endif()
    target_precompile_headers(${anchor} PRIVATE ${VELTRANA_PCH_${set}})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${anchor})
endfunction()

# Unity builds: the sources of a library or test program compile in batches, one translation
# unit each, so the headers and the templates they share are compiled once per batch. A file
# whose internal names would collide with another's in a batch is kept out with
# SKIP_UNITY_BUILD_INCLUSION.
option(VELTRANA_UNITY "Compile the libraries and tests in unity batches" ON)
# veltrana_unity(<target> [<batch size>]), 16 files a batch unless told.
function(veltrana_unity target)
  set(batch 16)
  if(ARGC GREATER 1)
    set(batch ${ARGV1})
  endif()
  if(VELTRANA_UNITY)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${batch})
  endif()
endfunction()

# moc reads only our headers, yet by default a target's moc step waits until everything the
# target links is built. The dev preset turns that off, so that clang-tidy gets the generated
# files of the whole tree without a build.
option(VELTRANA_AUTOGEN_WAITS "Run moc only after the libraries a target links are built" ON)
set(CMAKE_AUTOGEN_ORIGIN_DEPENDS ${VELTRANA_AUTOGEN_WAITS})
