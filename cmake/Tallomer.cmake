# One set of warning rules for every library and executable of the project.
add_library(tallomer_warnings INTERFACE)
target_compile_options(tallomer_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wno-unused-parameter)
if(TALLOMER_WERROR)
  target_compile_options(tallomer_warnings INTERFACE -Werror)
endif()

# A sanitized build instruments every target, the build-time generators included. Its Debug build
# keeps the assertions and is optimised a little (-O1), so that the instrumented tests keep a usable
# speed.
if(TALLOMER_SANITIZE)
  set(TALLOMER_SANITIZE_COMPILE -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  add_compile_options(${TALLOMER_SANITIZE_COMPILE} -fno-omit-frame-pointer $<$<CONFIG:Debug>:-O1>)
  add_link_options(-fsanitize=address,undefined)
endif()

# Test code is compiled for a short build rather than for speed (-O1 compiles a fifth faster than
# -O2 and the tests' time goes into the libraries they call, which keep their optimisation). A
# precompiled set is only taken by code compiled at its level, so the test sets get it too.
function(tallomer_test_optimisation target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo,Release,MinSizeRel>:-O1>)
endfunction()

# The linker: lld, else gold, links the test programs several times faster than the default one,
# which on a two-core machine is minutes of each build.
option(TALLOMER_FAST_LINKER "Link with lld (or gold) when the compiler can" ON)
if(TALLOMER_FAST_LINKER)
  include(CheckLinkerFlag)
  check_linker_flag(CXX -fuse-ld=lld TALLOMER_LINKER_LLD)
  if(TALLOMER_LINKER_LLD)
    add_link_options(-fuse-ld=lld)
  else()
    check_linker_flag(CXX -fuse-ld=gold TALLOMER_LINKER_GOLD)
    if(TALLOMER_LINKER_GOLD)
      add_link_options(-fuse-ld=gold)
    endif()
  endif()
endif()

# Precompiled headers: most of a translation unit's time here is spent parsing the same standard,
# Qt and test headers again. Only headers from outside the project go in (and the end-to-end fixture,
# which every end-to-end test includes first), so that a change to one of our headers does not
# rebuild a library's every file. The libraries share one precompiled set, as do the test programs
# of each kind: a set takes as long to compile as twenty of our files, and the targets sharing one
# are compiled with the same definitions and options (GCC refuses a set made otherwise, and
# -Winvalid-pch says so).
option(TALLOMER_PCH "Precompile the common headers of the libraries and test programs" ON)
set(TALLOMER_PCH_STD <algorithm> <functional> <map> <memory> <optional> <string> <vector>)
set(TALLOMER_PCH_QT <QAction> <QApplication> <QDir> <QFile> <QFileInfo> <QImage> <QMenu> <QMimeData>
  <QPainter> <QString> <QWidget>)
set(TALLOMER_QT_MODULES Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Network Qt6::DBus Qt6::Pdf)

# tallomer_pch_set(name LIBS libs... HEADERS headers...): a precompiled set of its own target, for
# targets that link the same libraries to take with tallomer_precompile(target name).
function(tallomer_pch_set name)
  if(NOT TALLOMER_PCH)
    return()
  endif()
  cmake_parse_arguments(PS "" "" "LIBS;HEADERS" ${ARGN})
  set(src ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
  if(NOT EXISTS ${src})
    file(WRITE ${src} "// The translation unit that a shared precompiled header set is made with.\n")
  endif()
  add_library(${name} OBJECT ${src})
  set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  target_link_libraries(${name} PRIVATE ${PS_LIBS} tallomer_warnings)
  target_precompile_headers(${name} PRIVATE ${PS_HEADERS})
endfunction()

# tallomer_precompile(target set) takes a shared set; tallomer_precompile(target HEADERS h...)
# precompiles a set of the target's own.
function(tallomer_precompile target)
  if(NOT TALLOMER_PCH)
    return()
  endif()
  cmake_parse_arguments(TP "" "" "HEADERS" ${ARGN})
  if(TP_HEADERS)
    target_precompile_headers(${target} PRIVATE ${TP_HEADERS})
  else()
    target_precompile_headers(${target} REUSE_FROM ${ARGV1})
  endif()
endfunction()

# A header added later must make moc run again in an incremental build, which the generated build
# does not notice by itself: when a target's list of sources changes, its moc stamp is dropped.
function(tallomer_restamp_autogen name srcs)
  string(JOIN "\n" source_list ${srcs})
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_sources.txt)
  set(old_list "")
  if(EXISTS ${list_file})
    file(READ ${list_file} old_list)
  endif()
  if(NOT old_list STREQUAL source_list)
    file(WRITE ${list_file} "${source_list}")
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/timestamp)
  endif()
endfunction()

# tallomer_library(name [QT]) builds a static library from every source below the
# current folder (new files need no CMake edit; CONFIGURE_DEPENDS re-globs).
function(tallomer_library name)
  cmake_parse_arguments(TL "" "" "DIRS" ${ARGN})
  if(NOT TL_DIRS)
    set(TL_DIRS ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(srcs)
  foreach(d ${TL_DIRS})
    file(GLOB_RECURSE s CONFIGURE_DEPENDS ${d}/*.cpp ${d}/*.h)
    list(APPEND srcs ${s})
  endforeach()
  add_library(${name} STATIC ${srcs})
  tallomer_restamp_autogen(${name} "${srcs}")
  target_link_libraries(${name} PRIVATE tallomer_warnings)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# tallomer_test(name LIBS ...) builds every *.cpp of the current tests folder into one
# GoogleTest binary registered with CTest.
function(tallomer_test name)
  cmake_parse_arguments(TT "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE s CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(${name} ${s})
  if(TALLOMER_UNITY_TESTS AND name IN_LIST TALLOMER_UNITY_TEST_PROGRAMS)
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${TALLOMER_UNITY_BATCH})
    # In a batch every test file is an included file, so GCC takes a fixture of a file's unnamed
    # namespace under a test class of the global one for a header's type leaking out: the file is
    # still included exactly once, and nothing can leak.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${name} PRIVATE -Wno-subobject-linkage)
    endif()
  endif()
  tallomer_test_optimisation(${name})
  tallomer_restamp_autogen(${name} "${s}")
  target_link_libraries(${name} PRIVATE ${TT_LIBS} tallomer_testsupport GTest::gtest GTest::gmock tallomer_warnings)
  add_dependencies(test_programs ${name})
  if(name MATCHES "^(runtime|engine)_tests$")
    tallomer_precompile(${name} tallomer_pch_test)
  elseif(name STREQUAL "e2e_tests")
    # Its fixture is the largest header every one of its files includes: a set of its own.
    tallomer_precompile(${name} HEADERS ${TALLOMER_PCH_STD} ${TALLOMER_PCH_QT} <gtest/gtest.h> <QTest>
      ${PROJECT_SOURCE_DIR}/tests/e2e/E2EFixture.h)
  else()
    tallomer_precompile(${name} tallomer_pch_qt_test)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  # The discovered tests' environment is set from a file of our own, read after the list of
  # tests: a several-variable ENVIRONMENT handed to gtest_discover_tests loses all but the first
  # variable on its way through the build step.
  set(env_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${env_file}
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT\n"
    "    [==[QT_QPA_PLATFORM=offscreen;TALLOMER_SOURCE_DIR=${PROJECT_SOURCE_DIR};TALLOMER_BUILD_DIR=${PROJECT_BINARY_DIR}]==])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_file})
endfunction()
