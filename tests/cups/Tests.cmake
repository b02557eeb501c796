# The PPD files and printing through a real CUPS scheduler.
include(${PROJECT_SOURCE_DIR}/cmake/Ppd.cmake)

set(_cups_tests ${CMAKE_CURRENT_LIST_DIR})

add_test(NAME ppd_files
  COMMAND ${_cups_tests}/ppd_check.sh $<TARGET_FILE:rastertothermal>
          ${CMAKE_CURRENT_SOURCE_DIR}/data/label-4x6.pdf ${THERMAL_PPD_FILES})
set_tests_properties(ppd_files PROPERTIES TIMEOUT 120)

add_test(NAME cups_e2e
  COMMAND ${_cups_tests}/cups_e2e.sh $<TARGET_FILE:rastertothermal>
          ${THERMAL_PPD_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/data)
set_tests_properties(cups_e2e PROPERTIES TIMEOUT 120)

add_test(NAME receipt_golden
  COMMAND ${_cups_tests}/receipt_golden.sh $<TARGET_FILE:rastertothermal>
          ${THERMAL_PPD_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/data/receipt-2p.pdf)
set_tests_properties(receipt_golden PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)
