# Each library folder is one target made of the sources it holds; its tests are
# every *Test.cpp in its tests/ folder, linked into one GoogleTest program.
# Libraries and programs install themselves; tests and benchmarks do not.

function(bvk_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A library whose sources have not been written yet still links.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    bvk_install_library(${name})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>)
  target_compile_features(${name} PUBLIC cxx_std_20)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  bvk_install_library(${name})
endfunction()

# A library and every header beside it join the exported package Brenvik as
# Brenvik::<name>. The list of installed libraries, in the order they were
# added (each after those it needs), gives the pkg-config link line.
function(bvk_install_library name)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  install(TARGETS ${name} EXPORT BrenvikTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${BVK_INSTALL_INCLUDEDIR})
  install(FILES ${headers} DESTINATION ${BVK_INSTALL_INCLUDEDIR})
  set_property(GLOBAL APPEND PROPERTY BVK_INSTALLED_LIBRARIES ${name})
endfunction()

# A program run once per file carries the C++ runtime inside (see
# BVK_STATIC_RUNTIME); the C library stays shared.
function(bvk_static_runtime target)
  if(BVK_STATIC_RUNTIME)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
endfunction()

# A program (a target, or a script of the folder) and its manual page
# <name>.1 beside it.
function(bvk_install_program name)
  if(TARGET ${name})
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  else()
    install(PROGRAMS ${CMAKE_CURRENT_SOURCE_DIR}/${name} DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  bvk_install_manpage(${CMAKE_CURRENT_SOURCE_DIR}/${name}.1)
endfunction()

# A manual page is installed compressed, as Debian keeps them, into the section
# its extension names; a test checks that man renders it without warnings and
# that its NAME line can be indexed.
function(bvk_install_manpage page)
  get_filename_component(file ${page} NAME)
  get_filename_component(extension ${page} LAST_EXT)
  string(SUBSTRING ${extension} 1 -1 section)
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz)
  # -n leaves out the name and time, so that the same page gives the same bytes.
  add_custom_command(OUTPUT ${compressed}
    COMMAND gzip -9nc ${page} > ${compressed}
    DEPENDS ${page} VERBATIM)
  add_custom_target(manpage.${file} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  if(BUILD_TESTING)
    add_test(NAME ManPage.${file} COMMAND ${CMAKE_SOURCE_DIR}/tests/check-manpage.sh ${page})
  endif()
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
