# PAPPL for the printer application: by default 1.3.1, the version Debian
# ships, built from Debian's original tarball with our fixes
# (third_party/pappl) and linked statically; THERMAL_SYSTEM_PAPPL links the
# system's library instead (one whose faults are fixed upstream).
option(THERMAL_SYSTEM_PAPPL "Link the system's PAPPL instead of 1.3.1 with our fixes" OFF)
find_package(PkgConfig REQUIRED)
add_library(pappl INTERFACE)

if(THERMAL_SYSTEM_PAPPL)
  pkg_check_modules(PAPPL REQUIRED IMPORTED_TARGET pappl)
  target_link_libraries(pappl INTERFACE PkgConfig::PAPPL)
  target_compile_definitions(pappl INTERFACE THERMAL_SYSTEM_PAPPL)
  return()
endif()

include(ExternalProject)
# -O2 as Debian builds it (PAPPL's own default is -Os). Under the sanitizers
# PAPPL is instrumented too: a read of freed memory in its job and printer
# code is then found, not only in ours.
set(PAPPL_OPTIM "-g -O2")
if(THERMAL_SANITIZE)
  string(APPEND PAPPL_OPTIM " -fsanitize=address -fno-omit-frame-pointer")
endif()
# The original tarball comes from the archive this machine's apt is set up
# with (scripts/fetch-pappl-source), pinned by its SHA-256 and kept in .deps/;
# -DPAPPL_TARBALL=FILE builds from a tarball at hand, offline.
set(PAPPL_SHA256 890fd12aca8e2b2a45d5a89ba5fc74b9ad8d3eeef39d31c6bbf9c563c311223a)
set(PAPPL_TARBALL "" CACHE FILEPATH "PAPPL 1.3.1's original source tarball, used instead of fetching it")
if(NOT PAPPL_TARBALL)
  set(PAPPL_CACHED ${PROJECT_SOURCE_DIR}/.deps/pappl_1.3.1.orig.tar.gz)
  if(EXISTS ${PAPPL_CACHED})
    file(SHA256 ${PAPPL_CACHED} cached_sha)
  endif()
  if(NOT cached_sha STREQUAL PAPPL_SHA256)
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-pappl-source ${PAPPL_CACHED} ${PAPPL_SHA256}
      RESULT_VARIABLE fetch_result)
    if(NOT fetch_result EQUAL 0)
      message(FATAL_ERROR "PAPPL 1.3.1's source (pappl_1.3.1.orig.tar.gz) is not in any archive apt is "
        "configured with: pass it with -DPAPPL_TARBALL=FILE, or build with -DTHERMAL_SYSTEM_PAPPL=ON "
        "against a PAPPL that has our fixes (third_party/pappl).")
    endif()
  endif()
  set(PAPPL_TARBALL ${PAPPL_CACHED})
endif()
set(PAPPL_SOURCE ${CMAKE_BINARY_DIR}/pappl-1.3.1)
# Our fixes, applied in the order of their file names.
file(GLOB PAPPL_PATCHES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/third_party/pappl/*.patch)
list(SORT PAPPL_PATCHES)
set(PAPPL_PATCH_COMMAND "")
foreach(patch ${PAPPL_PATCHES})
  list(APPEND PAPPL_PATCH_COMMAND COMMAND patch -p1 -i ${patch})
endforeach()
list(POP_FRONT PAPPL_PATCH_COMMAND)
ExternalProject_Add(pappl_build
  URL ${PAPPL_TARBALL}
  URL_HASH SHA256=${PAPPL_SHA256}
  DOWNLOAD_EXTRACT_TIMESTAMP ON
  SOURCE_DIR ${PAPPL_SOURCE}
  BUILD_IN_SOURCE ON
  PATCH_COMMAND ${PAPPL_PATCH_COMMAND}
  CONFIGURE_COMMAND ./configure --quiet --disable-shared --prefix=/usr --localstatedir=/var
                    --sysconfdir=/etc --with-tls=gnutls
  BUILD_COMMAND make -C pappl -j4 "OPTIM=${PAPPL_OPTIM}" libpappl.a
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${PAPPL_SOURCE}/pappl/libpappl.a
  LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)
# A new patch unpacks the tarball again, then patches and builds it.
ExternalProject_Add_StepDependencies(pappl_build download ${PAPPL_PATCHES})

pkg_check_modules(PAPPL_DEPS REQUIRED IMPORTED_TARGET
  avahi-client gnutls libjpeg libpng zlib libusb-1.0)
file(MAKE_DIRECTORY ${PAPPL_SOURCE})
add_dependencies(pappl pappl_build)
target_include_directories(pappl SYSTEM INTERFACE ${PAPPL_SOURCE})
target_link_libraries(pappl INTERFACE ${PAPPL_SOURCE}/pappl/libpappl.a PkgConfig::PAPPL_DEPS Cups::Cups
  pam dl pthread m)
