# `cpack -G DEB` in the build folder: one package with the programs, their
# manual pages, the libraries, headers and package files, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brenvik)
set(CPACK_PACKAGE_VENDOR Brenvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "processing tools of a coastal HF ocean radar station")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Quillmoor converts a radial file of surface-current vectors into classic radial, xyuv and\n"
  "LLUV table files. Fenwright keeps the site's weekly radial diagnostic report. The static\n"
  "libraries they are built on (BTF table files, geodesy, LLUV radial files) come with their\n"
  "headers, a CMake package (Brenvik) and a pkg-config file (brenvik).")
# Install under DESTDIR with the real prefix, so that files which record the
# prefix (brenvik.pc) name /usr and not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

# A pre-release sorts before its release in Debian: 0.1.0d1 is 0.1.0~d1.
string(REGEX REPLACE "^([0-9.]+)([dab])([0-9]+)$" "\\1~\\2\\3" bvk_deb_version "${BVK_VERSION_TEXT}")
string(REPLACE "_" "+" bvk_deb_version "${bvk_deb_version}")
set(CPACK_DEBIAN_PACKAGE_VERSION ${bvk_deb_version})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brenvik radar processing")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The shared libraries the programs load (the C library; lluv also netCDF and
# the C++ runtime) come from dpkg-shlibdeps; the time zone database is read as
# files.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS tzdata)
# quillmoor-archive runs its conversions through GNU parallel; the programs
# themselves do not need it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS parallel)
# Building against the static libraries needs the development files of what
# they link.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "uuid-dev, libhowardhinnant-date-dev, libgeographiclib-dev, pkg-config")
include(CPack)
