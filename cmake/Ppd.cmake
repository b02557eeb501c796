# PPD files for every printer family, compiled with ppdc from one source,
# ppd/rastertothermal.drv, into ${CMAKE_BINARY_DIR}/ppd.
include_guard(GLOBAL)

find_program(PPDC_EXECUTABLE ppdc REQUIRED)

set(THERMAL_PPD_SOURCE ${PROJECT_SOURCE_DIR}/ppd/rastertothermal.drv)
set(THERMAL_PPD_DIR ${CMAKE_BINARY_DIR}/ppd)
# The PCFileName of every model in the .drv file.
set(THERMAL_PPD_NAMES
  tspl-203 tspl-300
  escpos58 escpos80
  cpcl-2in cpcl-3in cpcl-4in
  papr-203 papr-300
  peri-203 peri-300
  zpl-203 zpl-300 epl-203
  brother-ql-300 dymo-lw-300 dymo-lw-4xl)
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
