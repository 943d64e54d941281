# Shared build rules: warnings, sanitizers and the one-library-per-folder convention.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

add_compile_options(-Wall -Wextra)

if(ASAN AND TSAN)
  message(FATAL_ERROR "ASAN and TSAN cannot be combined")
endif()
if(ASAN)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
if(FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "FUZZ=ON needs clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Every header is included by its path from the project root: "core/MDBF.h".
include_directories(${CMAKE_SOURCE_DIR})

# verdan_library(<name> [DEPS <targets>...] [PKG <pkg-config modules>...])
# Builds every .cpp under the calling folder into a static library <name>.
# A folder with no sources yet becomes an interface library so dependants still link.
function(verdan_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PKG" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_link_libraries(${name} ${scope} ${ARG_DEPS} Threads::Threads)
  foreach(pkg IN LISTS ARG_PKG)
    string(MAKE_C_IDENTIFIER "pc_${pkg}" var)
    if(NOT TARGET PkgConfig::${var})
      pkg_check_modules(${var} REQUIRED IMPORTED_TARGET GLOBAL ${pkg})
    endif()
    target_link_libraries(${name} ${scope} PkgConfig::${var})
  endforeach()
endfunction()

# verdan_test(<name> [LIBS <targets>...] [LABELS <labels>...])
# One GoogleTest program from every .cpp in the calling folder, each test registered with ctest.
# The label "tsan" marks programs that the ThreadSanitizer build runs.
function(verdan_test name)
  cmake_parse_arguments(ARG "" "" "LIBS;LABELS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  # The test framework headers are the heaviest part of every test file.
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <gmock/gmock.h> <string> <vector>)
  target_compile_definitions(${name} PRIVATE
      VERDAN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      VERDAN_BINARY_DIR="${CMAKE_BINARY_DIR}")
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
