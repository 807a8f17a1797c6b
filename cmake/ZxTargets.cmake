# zx_folder_library(NAME DIR [EXCLUDE file...]): a static library of every .cpp
# directly in DIR (not in sub-folders; backends live in sub-folders).
function(zx_folder_library name dir)
  cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  foreach(ex ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "/${ex}$")
  endforeach()
  if(NOT sources)
    set(stub ${CMAKE_BINARY_DIR}/stubs/${name}_empty.cpp)
    file(WRITE ${stub} "// ${name} has no sources yet\n")
    set(sources ${stub})
  endif()
  add_library(${name} STATIC ${sources})
endfunction()

# zx_test_folder(DIR [FILTER gtest-filter]): every folder below tests/ (but
# support/ and programs/) is one GoogleTest binary named test_<folder>; with
# FILTER only the tests it matches are run.
function(zx_test_folder dir)
  cmake_parse_arguments(ARG "" "FILTER" "" ${ARGN})
  get_filename_component(leaf ${dir} NAME)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${leaf} ${sources})
  target_link_libraries(test_${leaf} PRIVATE zx_testsupport
      zx_startup
      GTest::gtest GTest::gmock GTest::gtest_main)
  add_dependencies(test_${leaf} zx_test_programs)
  set(filter)
  if(ARG_FILTER)
    set(filter TEST_FILTER ${ARG_FILTER})
  endif()
  if(ZX_SANITIZE)
    # Each test runs through the script that gives it (and every process it
    # starts) the sanitizer options and fails it on any report. CMake 3.25
    # knows no test launcher but this property, which the test discovery
    # honours for both the listing and the runs.
    set_property(TARGET test_${leaf} PROPERTY CROSSCOMPILING_EMULATOR
                 ${CMAKE_SOURCE_DIR}/scripts/sanitized-test.sh)
  endif()
  gtest_discover_tests(test_${leaf} DISCOVERY_TIMEOUT 120 ${filter}
      PROPERTIES LABELS ${leaf})
endfunction()
