# Installation: the filter goes where CUPS looks for filters, the PPD files
# where CUPS looks for drivers ("lpinfo -m" lists them). Both folders are
# absolute, so DESTDIR is honoured and CMAKE_INSTALL_PREFIX does not apply.
# The printer application, its systemd unit and the documentation go under
# the prefix (/usr/local unless configured otherwise; /usr in the package):
#   cmake --install build                      (as root)
#   DESTDIR=/tmp/stage cmake --install build   (staging, e.g. for a package)
include_guard(GLOBAL)
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/Ppd.cmake)

execute_process(
  COMMAND cups-config --serverbin
  OUTPUT_VARIABLE _thermal_serverbin
  OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE _thermal_serverbin_result
  ERROR_QUIET)
if(NOT _thermal_serverbin_result EQUAL 0 OR _thermal_serverbin STREQUAL "")
  set(_thermal_serverbin /usr/lib/cups)
endif()

set(THERMAL_CUPS_FILTER_DIR "${_thermal_serverbin}/filter"
    CACHE PATH "Folder of the CUPS filters (cups-config --serverbin, then filter)")
set(THERMAL_PPD_INSTALL_DIR "/usr/share/ppd/rastertothermal"
    CACHE PATH "Folder in the CUPS driver search path that receives the PPD files")

# cupsd runs only filters that are owned by root and not writable by group
# or others: mode 0755 (installing as root makes root the owner).
install(TARGETS rastertothermal
  RUNTIME DESTINATION ${THERMAL_CUPS_FILTER_DIR}
  PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
              GROUP_READ GROUP_EXECUTE
              WORLD_READ WORLD_EXECUTE)
# The backend "ble" runs as root (mode 0700) so that it may use BlueZ as
# the system's printing service does.
install(TARGETS ble-backend
  RUNTIME DESTINATION ${_thermal_serverbin}/backend
  PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
install(FILES ${THERMAL_PPD_FILES}
  DESTINATION ${THERMAL_PPD_INSTALL_DIR}
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# The application and its unit form the component "app", which the unit's
# check installs on its own under a scratch prefix.
install(TARGETS thermal-printer-app RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT app)
# What a printer would print, as pictures: thermal-preview FILE.prn.
if(TARGET thermal-preview)
  install(TARGETS thermal-preview RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# A printer that prints into PNG files: thermal-printer-sim --language L --port N --out DIR.
if(TARGET thermal-printer-sim)
  install(TARGETS thermal-printer-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/app.md ${PROJECT_SOURCE_DIR}/docs/cups.md ${PROJECT_SOURCE_DIR}/docs/drivers.md
              ${PROJECT_SOURCE_DIR}/docs/preview-label.png
  DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

# The systemd unit. systemd reads units from lib/systemd/system under /usr
# and under /usr/local, so the default follows the prefix. The unit names the
# program by its installed path, which is known only when installing (CPack
# installs with its own prefix), so it is written then.
set(THERMAL_SYSTEMD_UNIT_DIR "lib/systemd/system"
    CACHE PATH "Folder of the systemd system units, relative to the prefix or absolute")
install(CODE "
  set(THERMAL_APP_PATH \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/thermal-printer-app\")
  set(THERMAL_DOC_DIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DOCDIR}/docs\")
  configure_file(\"${PROJECT_SOURCE_DIR}/packaging/thermal-printer-app.service.in\"
                 \"${CMAKE_BINARY_DIR}/unit/thermal-printer-app.service\" @ONLY)
  set(_unit_dir \"${THERMAL_SYSTEMD_UNIT_DIR}\")
  if(NOT IS_ABSOLUTE \"\${_unit_dir}\")
    set(_unit_dir \"\${CMAKE_INSTALL_PREFIX}/\${_unit_dir}\")
  endif()
  file(INSTALL DESTINATION \"\${_unit_dir}\" TYPE FILE
       PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
       FILES \"${CMAKE_BINARY_DIR}/unit/thermal-printer-app.service\")
" COMPONENT app)
