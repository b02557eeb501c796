# The Debian package ("make package"): the filter, the PPD files, the printer
# application, its systemd unit and the documentation, as "make install" lays
# them out under /usr. dpkg-shlibdeps (dpkg-dev) works out the library
# dependencies from the binaries.
include_guard(GLOBAL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rastertothermal)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "rastertothermal developers <rastertothermal@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "thermal label and receipt printer driver and printer application")
# The printer languages' titles from their rows, in the order of the
# language list (cmake/LanguageTables.cmake).
set(language_titles "")
foreach(folder ${THERMAL_LANGUAGE_FOLDERS})
  set(row ${PROJECT_SOURCE_DIR}/languages/${folder}/Row.h)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${row})
  file(STRINGS ${row} title_line REGEX "\\.title = \"")
  string(REGEX REPLACE ".*\\.title = \"([^\"]*)\".*" "\\1" title "${title_line}")
  list(APPEND language_titles "${title}")
endforeach()
list(POP_BACK language_titles last_title)
list(JOIN language_titles ", " language_list)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Prints on thermal label, receipt and mini printers of these
command languages: ${language_list} and ${last_title}; over USB, the network,
serial lines and Bluetooth.

The CUPS filter rastertothermal comes with a PPD file per printer family.
thermal-printer-app shows the printers as driverless IPP Everywhere
printers; it runs as the systemd service thermal-printer-app.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The filter needs a CUPS scheduler and the filters that make raster from
# PDF; the application needs neither. avahi announces the application's
# printers on the network.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups-daemon, cups-filters-core-drivers, avahi-daemon")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups-client, bluez")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/packaging/deb/postinst
  ${PROJECT_SOURCE_DIR}/packaging/deb/prerm
  ${PROJECT_SOURCE_DIR}/packaging/deb/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The filter and PPD folders are absolute: install into a staging DESTDIR
# with the prefix /usr, never into the building machine's folders.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)

include(CPack)
