# What another project needs to use the installed libraries: the CMake package
# Brenvik (exported targets Brenvik::<library>) and the pkg-config file
# brenvik.pc. Included after every library has been added.
include(CMakePackageConfigHelpers)

install(EXPORT BrenvikTargets NAMESPACE Brenvik:: DESTINATION ${BVK_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/BrenvikConfig.cmake.in
  ${CMAKE_BINARY_DIR}/BrenvikConfig.cmake INSTALL_DESTINATION ${BVK_INSTALL_CMAKEDIR})
# Before 1.0 a minor version may change the interfaces.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/BrenvikConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/BrenvikConfig.cmake ${CMAKE_BINARY_DIR}/BrenvikConfigVersion.cmake
  DESTINATION ${BVK_INSTALL_CMAKEDIR})

# Static libraries: each before those it needs, the reverse of the order in
# which they were added; interface-only libraries have nothing to link.
get_property(bvk_libraries GLOBAL PROPERTY BVK_INSTALLED_LIBRARIES)
list(REVERSE bvk_libraries)
set(bvk_pc_libs "")
foreach(library IN LISTS bvk_libraries)
  get_target_property(type ${library} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    string(APPEND bvk_pc_libs " -l${library}")
  endif()
endforeach()
string(STRIP "${bvk_pc_libs}" bvk_pc_libs)
# The prefix is the one installed to, known only at install time (cpack
# installs under /usr whatever the build folder was configured with); each
# prefix gets its own staging file so that two installs never share one.
set(prefix "@prefix@")
configure_file(${CMAKE_CURRENT_LIST_DIR}/brenvik.pc.in ${CMAKE_BINARY_DIR}/brenvik.pc.in @ONLY)
set(bvk_pc_install [[
set(prefix "${CMAKE_INSTALL_PREFIX}")
string(MD5 staged "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(staged "@CMAKE_BINARY_DIR@/pkgconfig/${staged}/brenvik.pc")
configure_file("@CMAKE_BINARY_DIR@/brenvik.pc.in" "${staged}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/@CMAKE_INSTALL_LIBDIR@/pkgconfig" TYPE FILE
  FILES "${staged}")
]])
string(CONFIGURE "${bvk_pc_install}" bvk_pc_install @ONLY)
install(CODE "${bvk_pc_install}")

install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

include(${CMAKE_CURRENT_LIST_DIR}/BvkDebian.cmake)
