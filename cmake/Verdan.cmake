# Shared build rules: warnings, sanitizers and the one-library-per-folder convention.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

option(VERDAN_WERROR "Treat warnings as errors (the test script's builds)" OFF)
add_compile_options(-Wall -Wextra -Wshadow)
if(VERDAN_WERROR)
  add_compile_options(-Werror)
endif()

if(ASAN AND TSAN)
  message(FATAL_ERROR "ASAN and TSAN cannot be combined")
endif()
if(FUZZ AND TSAN)
  message(FATAL_ERROR "FUZZ and TSAN cannot be combined")
endif()
# The fuzz targets run under AddressSanitizer + UBSan too, so FUZZ=ON may stand alone or join
# ASAN=ON: then one build serves the tests and the fuzz targets.
if(ASAN OR FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  # Position-dependent programs: a fifth smaller (no table of relocations for every pointer).
  add_link_options(-no-pie)
endif()
if(TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
# Coverage for the fuzzer: only the libraries (verdan_library) and the fuzz entry points carry
# it; the sanitizer runtime gives the other programs (tests, app) its empty hooks.
set(VERDAN_FUZZ_COVERAGE "")
if(FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "FUZZ=ON needs clang (CC=clang CXX=clang++)")
  endif()
  set(VERDAN_FUZZ_COVERAGE -fsanitize=fuzzer-no-link)
  # Beside the tests (ASAN=ON FUZZ=ON, one build for both) the libraries carry the edge counters
  # only: the comparison tracing of fuzzer-no-link, a call at every comparison, took about a
  # third of the time of the tests, tours and walks that run the same libraries, and the tracing
  # of indirect calls, a call at every virtual call, another seventh of a tour; a smoke run of
  # seconds reaches the same coverage without them. A fuzz build of its own keeps both for long
  # runs.
  if(ASAN)
    set(VERDAN_FUZZ_COVERAGE -fsanitize-coverage=inline-8bit-counters,pc-table)
  endif()
endif()

# Unity build: each library and test program compiles its sources in batches, which parses the
# shared headers once per batch instead of once per file. Names at file scope (anonymous
# namespaces, statics) must therefore differ between the sources of one folder.
# VERDAN_UNITY_BATCH=0 puts each target in one batch: a quick way to find every clash at once.
option(VERDAN_UNITY "Compile the sources of each target in batches (unity build)" ON)
set(VERDAN_UNITY_BATCH 8 CACHE STRING "Sources per unity batch (0: the whole target)")
if(VERDAN_UNITY)
  set(CMAKE_UNITY_BUILD ON)
  set(CMAKE_UNITY_BUILD_BATCH_SIZE ${VERDAN_UNITY_BATCH})
endif()

# Disk: the sanitizer builds of every program, test program and fuzz target would otherwise take
# several gigabytes, and a machine may have little to spare. Debug sections are compressed in
# objects and programs, and static libraries are thin (they name their objects, not copy them).
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-gz VERDAN_HAS_GZ)
if(VERDAN_HAS_GZ)
  add_compile_options(-gz)
  add_link_options(-gz)
endif()
foreach(lang C CXX)
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qc --thin <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> q --thin <TARGET> <LINK_FLAGS> <OBJECTS>")
endforeach()

# lld links the large sanitizer programs several times faster than the default linker.
find_program(VERDAN_LLD NAMES ld.lld)
if(VERDAN_LLD)
  add_link_options(-fuse-ld=lld)
endif()

# verdan_optimise(<target>): a library whose loops the tests and the tour run millions of times
# (the test server's market, the charts' arithmetic, the pixel cache) is compiled with -O1 in the
# unoptimised sanitizer builds too: it keeps every check and runs several times faster, for a
# small part of the build's time.
function(verdan_optimise target)
  if(CMAKE_BUILD_TYPE STREQUAL "Debug" AND (ASAN OR FUZZ OR TSAN))
    target_compile_options(${target} PRIVATE -O1)
  endif()
endfunction()

# Every header is included by its path from the project root: "core/MDBF.h".
include_directories(${CMAKE_SOURCE_DIR})

# verdan_require_targets(<what> <targets>...)
# Stops the configuration when a name is not a target: a misspelt or missing library would
# otherwise be passed to the linker as a system library, or dropped.
function(verdan_require_targets what)
  foreach(target IN LISTS ARGN)
    if(NOT TARGET ${target})
      message(FATAL_ERROR "${what}: unknown library '${target}'")
    endif()
  endforeach()
endfunction()

# verdan_library(<name> [DEPS <targets>...] [PKG <pkg-config modules>...])
# Builds every .cpp under the calling folder into a static library <name>.
# A folder with no sources yet becomes an interface library so dependants still link.
function(verdan_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PKG" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_compile_options(${name} PRIVATE ${VERDAN_FUZZ_COVERAGE})
    set(scope PUBLIC)
  else()
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  verdan_require_targets(${name} ${ARG_DEPS})
  target_link_libraries(${name} ${scope} ${ARG_DEPS} Threads::Threads)
  foreach(pkg IN LISTS ARG_PKG)
    string(MAKE_C_IDENTIFIER "pc_${pkg}" var)
    if(NOT TARGET PkgConfig::${var})
      pkg_check_modules(${var} REQUIRED IMPORTED_TARGET GLOBAL ${pkg})
    endif()
    target_link_libraries(${name} ${scope} PkgConfig::${var})
  endforeach()
endfunction()

# What every test program compiles with (the shared precompiled header must see the same).
# The test programs' own code is compiled without debug information where VERDAN_TEST_DEBUG_INFO
# is OFF (the test command's builds): a failed expectation names its file and line by itself, a
# sanitizer's report names the test's functions, and the libraries under test keep their line
# tables. It makes a test source an eighth quicker to compile.
option(VERDAN_TEST_DEBUG_INFO "Debug information in the test programs' own code" ON)
function(verdan_test_settings target)
  target_link_libraries(${target} PRIVATE GTest::gtest GTest::gmock Threads::Threads)
  if(NOT VERDAN_TEST_DEBUG_INFO)
    target_compile_options(${target} PRIVATE -g0)
  endif()
  # GCC takes a source included into a unity batch for a header and warns about every test
  # fixture in an anonymous namespace; within one batch the warning does not apply.
  if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
  endif()
  # Some libraries' flags bring -pthread and _REENTRANT; every test program takes them.
  target_compile_options(${target} PRIVATE -pthread)
  target_compile_definitions(${target} PRIVATE _REENTRANT
      VERDAN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      VERDAN_BINARY_DIR="${CMAKE_BINARY_DIR}")
endfunction()

# The one precompiled header of the test programs, made by a target of its own so that a build
# of some test programs (the ThreadSanitizer build) compiles no other.
function(verdan_test_pch)
  if(TARGET verdan_test_pch)
    return()
  endif()
  set(source ${CMAKE_BINARY_DIR}/verdan_test_pch.cpp)
  if(NOT EXISTS ${source})
    file(WRITE ${source} "// The test programs' precompiled header is made with this file.\n")
  endif()
  add_library(verdan_test_pch OBJECT ${source})
  verdan_test_settings(verdan_test_pch)
  target_precompile_headers(verdan_test_pch PRIVATE <gtest/gtest.h> <gmock/gmock.h> <string> <vector>)
endfunction()

# verdan_test(<name> [LIBS <targets>...] [LABELS <labels>...] [TSAN_SOURCES <files>...])
# One GoogleTest program from every .cpp in the calling folder, each test registered with ctest.
# The label "tsan" marks programs that the ThreadSanitizer build runs. TSAN_SOURCES names the
# files of a program whose threaded cases are only a few: the ThreadSanitizer build compiles
# those alone (the others run on the main thread and are the AddressSanitizer run's).
function(verdan_test name)
  cmake_parse_arguments(ARG "" "" "LIBS;LABELS;TSAN_SOURCES" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(TSAN AND ARG_TSAN_SOURCES)
    list(TRANSFORM ARG_TSAN_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
  endif()
  if(NOT sources)
    return()
  endif()
  verdan_require_targets(${name} ${ARG_LIBS})
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  verdan_test_settings(${name})
  # The test framework headers are the heaviest part of every test file: they are compiled once
  # for all the test programs (one precompiled header of 100 MB or more, not one per program).
  verdan_test_pch()
  target_precompile_headers(${name} REUSE_FROM verdan_test_pch)
  if("tsan" IN_LIST ARG_LABELS)
    set_property(GLOBAL APPEND PROPERTY VERDAN_TSAN_TARGETS ${name})
  endif()
  # Discovered tests carry one label (a list would be split into separate properties).
  set(label ${name})
  if(ARG_LABELS)
    list(GET ARG_LABELS 0 label)
  endif()
  gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS ${label} TIMEOUT 300)
endfunction()
