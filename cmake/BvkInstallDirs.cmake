# Where `cmake --install` puts things (GNU layout). Debian keeps libraries in
# the multiarch folder under every prefix, as its own packages are built, so
# that a .deb made from any build folder has them where Debian looks for them.
if(CMAKE_LIBRARY_ARCHITECTURE AND EXISTS /etc/debian_version)
  set(CMAKE_INSTALL_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}" CACHE PATH
    "Object code libraries (LIBDIR)")
endif()
set(CMAKE_INSTALL_DOCDIR "share/doc/brenvik" CACHE PATH "Documentation (DOCDIR)")
include(GNUInstallDirs)

# The libraries' headers include each other by bare name, so they share one
# folder of their own.
set(BVK_INSTALL_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}/brenvik")
set(BVK_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/Brenvik")
