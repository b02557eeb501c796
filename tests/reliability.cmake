# Reliability checks: a raster generator and a system log catcher for the
# tests, the limit and leak script, and what the fault tests need.
add_executable(make_raster ${CMAKE_CURRENT_SOURCE_DIR}/reliability/make_raster.cpp)
target_link_libraries(make_raster PRIVATE Cups::Cups)

add_library(thermal_syslog_capture SHARED
  ${CMAKE_CURRENT_SOURCE_DIR}/reliability/syslog_capture.cpp)

target_compile_definitions(testsupport PUBLIC
  SYSLOG_CAPTURE_PATH="$<TARGET_FILE:thermal_syslog_capture>")
add_dependencies(testsupport thermal_syslog_capture)

# Memory figures mean nothing under AddressSanitizer, and valgrind cannot run
# a sanitized program: that build checks exits and leaks with the sanitizer.
if(THERMAL_SANITIZE)
  set(LIMITS_MODE sanitize)
else()
  set(LIMITS_MODE full)
endif()
add_test(NAME reliability.limits
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/reliability/limits.sh
          $<TARGET_FILE:rastertothermal> $<TARGET_FILE:make_raster> ${LIMITS_MODE})
set_tests_properties(reliability.limits PROPERTIES TIMEOUT 900)
