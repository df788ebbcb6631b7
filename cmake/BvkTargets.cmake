# Each library folder is one target made of the sources it holds; its tests are
# every *Test.cpp in its tests/ folder, linked into one GoogleTest program.

function(bvk_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A library whose sources have not been written yet still links.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

function(bvk_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*Test.cpp)
  if(NOT test_sources)
    return()
  endif()
  add_executable(${name}Tests ${test_sources})
  target_link_libraries(${name}Tests PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name}Tests PRIVATE
    BVK_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/tests/data"
    BVK_BINARY_DIR="${CMAKE_BINARY_DIR}"
    BVK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name}Tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 600)
endfunction()

function(bvk_benchmark name)
  if(NOT BVK_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
endfunction()
