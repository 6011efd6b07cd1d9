# GoogleTest for every build, and how a test program becomes a CTest test.
#
# Natively the installed GoogleTest is used and each test case is its own
# CTest test.  A cross build for Windows compiles GoogleTest from Debian's
# source and runs each test program as one CTest test under Wine
# (scripts/wine-test-run), so that Wine starts once per program; the
# programs are linked statically, so Wine needs no MinGW DLLs.

if(CMAKE_CROSSCOMPILING)
  set(DRELBIN_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # GoogleTest is not ours: build it without the project's warning rules.
  get_directory_property(drelbin_saved_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
  add_subdirectory(${DRELBIN_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${drelbin_saved_options}")
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# drelbin_add_gtest(TARGET [SETUP script...]): registers the test program
# TARGET.  Under Wine, each SETUP script prepares the prefix first (see
# scripts/wine-test-run).
function(drelbin_add_gtest target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SETUP")
  if(CMAKE_CROSSCOMPILING)
    target_link_options(${target} PRIVATE -static)
    # Built to prove that it compiles, but not run: only 64-bit Windows code
    # runs under Wine on these machines.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      return()
    endif()
    set(setup_args)
    foreach(script IN LISTS arg_SETUP)
      list(APPEND setup_args --setup ${script})
    endforeach()
    add_test(NAME ${target}
      COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-test-run ${CMAKE_BINARY_DIR}/wine/${target}
              ${setup_args} $<TARGET_FILE:${target}>)
  else()
    gtest_discover_tests(${target})
  endif()
endfunction()
