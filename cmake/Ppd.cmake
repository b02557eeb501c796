# PPD files for every printer family, compiled with ppdc from one source,
# ppd/rastertothermal.drv, into ${CMAKE_BINARY_DIR}/ppd.
include_guard(GLOBAL)

find_program(PPDC_EXECUTABLE ppdc REQUIRED)

set(THERMAL_PPD_SOURCE ${PROJECT_SOURCE_DIR}/ppd/rastertothermal.drv)
set(THERMAL_PPD_DIR ${CMAKE_BINARY_DIR}/ppd)
# The PCFileName of every model in the .drv file, read from it (a new model
# there is a new PPD here).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${THERMAL_PPD_SOURCE})
file(STRINGS ${THERMAL_PPD_SOURCE} _thermal_pc_names REGEX "^[ \t]*PCFileName[ \t]+\"")
set(THERMAL_PPD_NAMES "")
foreach(_line IN LISTS _thermal_pc_names)
  string(REGEX REPLACE ".*PCFileName[ \t]+\"([^\"]+)\\.ppd\".*" "\\1" _name "${_line}")
  list(APPEND THERMAL_PPD_NAMES ${_name})
endforeach()
set(THERMAL_PPD_FILES ${THERMAL_PPD_NAMES})
list(TRANSFORM THERMAL_PPD_FILES PREPEND ${THERMAL_PPD_DIR}/)
list(TRANSFORM THERMAL_PPD_FILES APPEND .ppd)

add_custom_command(
  OUTPUT ${THERMAL_PPD_FILES}
  # Start from an empty folder so that a model removed from the source
  # does not linger in the build.
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${THERMAL_PPD_DIR}
  COMMAND ${PPDC_EXECUTABLE} --lf -d ${THERMAL_PPD_DIR} ${THERMAL_PPD_SOURCE}
  DEPENDS ${THERMAL_PPD_SOURCE}
  COMMENT "Compiling PPD files from ppd/rastertothermal.drv"
  VERBATIM)
add_custom_target(ppds ALL DEPENDS ${THERMAL_PPD_FILES})
