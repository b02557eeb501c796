# The systemd unit: systemd-analyze verify and the defaults of its command line.
add_test(NAME service_unit
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/unit_check.sh ${CMAKE_BINARY_DIR})
set_tests_properties(service_unit PROPERTIES TIMEOUT 60 SKIP_RETURN_CODE 77)
