# brisk_library(NAME SOURCES ... [LINKS ...]): a static library of the sources
# named (paths relative to the calling folder).
function(brisk_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
endfunction()

# brisk_test(NAME LABEL label SOURCES ... LINKS ... [ENV ...]): one GoogleTest
# executable, each test case registered with ctest.
function(brisk_test name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LINKS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE brisk_test_support ${ARG_LINKS})
  gtest_discover_tests(${name}
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
    PROPERTIES LABELS "${ARG_LABEL}" ENVIRONMENT "TZ=UTC;LC_ALL=C.UTF-8;BRISK_SOURCE_DIR=${PROJECT_SOURCE_DIR};BRISK_BUILD_DIR=${PROJECT_BINARY_DIR};${ARG_ENV}"
    DISCOVERY_TIMEOUT 60)
endfunction()
