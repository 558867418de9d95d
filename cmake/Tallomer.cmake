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
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
                      $<$<CONFIG:Debug>:-O1>)
  add_link_options(-fsanitize=address,undefined)
endif()

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
  tallomer_restamp_autogen(${name} "${s}")
  target_link_libraries(${name} PRIVATE ${TT_LIBS} tallomer_testsupport GTest::gtest GTest::gmock tallomer_warnings)
  add_dependencies(test_programs ${name})
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
