# Bluetooth LE printers through a fake BlueZ on a private system bus; the
# fake runs on Debian's python3 (python3-dbusmock is a Debian package).
find_program(SYSTEM_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(SYSTEM_PYTHON3 AND TARGET thermal-printer-sim)
  add_test(NAME ble_printing
    COMMAND ${SYSTEM_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/ble_printing.py
            $<TARGET_FILE:thermal-printer-app> $<TARGET_FILE:thermal-printer-sim>
            ${PROJECT_SOURCE_DIR}/tools/sim/ble/thermal-ble-sim $<TARGET_FILE:ble-backend>
            ${CMAKE_CURRENT_BINARY_DIR}/tmp)
  set_tests_properties(ble_printing PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77)
endif()
