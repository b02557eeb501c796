# Installation: the filter goes where CUPS looks for filters, the PPD files
# where CUPS looks for drivers ("lpinfo -m" lists them). Both folders are
# absolute, so DESTDIR is honoured and CMAKE_INSTALL_PREFIX does not apply:
#   cmake --install build                      (as root)
#   DESTDIR=/tmp/stage cmake --install build   (staging, e.g. for a package)
include_guard(GLOBAL)
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
install(FILES ${THERMAL_PPD_FILES}
  DESTINATION ${THERMAL_PPD_INSTALL_DIR}
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
