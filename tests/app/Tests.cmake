# The printer application behind a real CUPS scheduler.
if(TARGET thermal-preview)
  add_test(NAME app_cups_everywhere
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/cups_everywhere.sh $<TARGET_FILE:thermal-printer-app>
            $<TARGET_FILE:thermal-preview> ${CMAKE_CURRENT_SOURCE_DIR}/data)
  set_tests_properties(app_cups_everywhere PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)
endif()

# The web pages in headless Chromium: labels, a settings form, the next job.
add_test(NAME app_web_settings
  COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/web_settings.py $<TARGET_FILE:thermal-printer-app>
          $<TARGET_FILE:rastertothermal> ${THERMAL_PPD_DIR} ${PROJECT_SOURCE_DIR}/out)
set_tests_properties(app_web_settings PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77)

# The subcommands without a server, then the documents' by-hand recipes, as
# written, in private folders on free ports.
add_test(NAME app_docs_recipes
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/docs_recipes.sh ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR})
set_tests_properties(app_docs_recipes PROPERTIES TIMEOUT 90)
