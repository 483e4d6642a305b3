# brisk_library(NAME DIR ... LINKS ...): a static library made of every .cpp
# under DIR (recursively), so that adding a file needs no CMake edit.
function(brisk_library name dir)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.c")
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
endfunction()

# brisk_test(NAME DIR LABEL label LINKS ... [ENV ...]): one GoogleTest executable
# from every .cpp under DIR, each test case registered with ctest.
function(brisk_test name dir)
  cmake_parse_arguments(ARG "" "LABEL" "LINKS;ENV" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE brisk_test_support ${ARG_LINKS})
  gtest_discover_tests(${name}
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
    PROPERTIES LABELS "${ARG_LABEL}" ENVIRONMENT "TZ=UTC;LC_ALL=C.UTF-8;BRISK_SOURCE_DIR=${PROJECT_SOURCE_DIR};BRISK_BUILD_DIR=${PROJECT_BINARY_DIR};${ARG_ENV}"
    DISCOVERY_TIMEOUT 60)
endfunction()
