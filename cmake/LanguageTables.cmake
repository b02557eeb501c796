# The printer languages of languages/LanguageList.cmake: each language's
# sources sorted into the targets of their layer, and the tables that
# gather the languages, one header per layer, made into
# ${THERMAL_GENERATED_DIR}:
#   languages/LanguageRows.h        the core: every row, and kLanguageRows
#   languages/LanguageEncoders.h    the core: every encoder, for the factory
#   tools/preview/PreviewLanguage.h the preview tool's names of the languages
#   tools/preview/LanguageDecoders.h  the decoders (Decoder.cpp)
#   tools/sim/LanguageAnswers.h     the simulator's status answers (SimAnswers.cpp)
#   app/drivers/LanguageDrivers.h   the application's drivers (Drivers.cpp)
# A language has the roles whose files its folder holds; the other files of
# the folder (Encoder.cpp, Status.cpp, Identify.cpp, helpers) are the core's.
set(THERMAL_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
set(THERMAL_LANGUAGE_FOLDERS "")
macro(thermal_language folder name preview)
  list(APPEND THERMAL_LANGUAGE_FOLDERS ${folder})
  set(THERMAL_LANGUAGE_NAME_${folder} ${name})
  set(THERMAL_LANGUAGE_PREVIEW_${folder} ${preview})
endmacro()
include(${PROJECT_SOURCE_DIR}/languages/LanguageList.cmake)

set(THERMAL_LANGUAGE_CORE_SOURCES "")
set(THERMAL_LANGUAGE_DECODER_SOURCES "")
set(THERMAL_LANGUAGE_SIM_SOURCES "")
set(THERMAL_LANGUAGE_APP_SOURCES "")
set(row_includes "")
set(rows "")
set(encoder_includes "")
set(preview_names "")
set(decoder_declarations "")
set(decoders "")
set(answer_declarations "")
set(answers "")
set(driver_declarations "")
set(drivers "")
foreach(folder ${THERMAL_LANGUAGE_FOLDERS})
  set(dir ${PROJECT_SOURCE_DIR}/languages/${folder})
  set(name ${THERMAL_LANGUAGE_NAME_${folder}})
  set(preview ${THERMAL_LANGUAGE_PREVIEW_${folder}})
  if(NOT EXISTS ${dir}/Row.h)
    message(FATAL_ERROR "languages/${folder}/Row.h: the language's row is missing")
  endif()
  string(APPEND row_includes "#include \"languages/${folder}/Row.h\"\n")
  string(APPEND rows "    k${name}Row,\n")
  string(APPEND encoder_includes "#include \"languages/${folder}/Encoder.h\"\n")
  # The preview tool's header stays clear of the core's table: the number
  # is read from the row.
  file(STRINGS ${dir}/Row.h model_line REGEX "\\.modelNumber = [0-9]+")
  string(REGEX REPLACE ".*\\.modelNumber = ([0-9]+).*" "\\1" model "${model_line}")
  if(NOT model MATCHES "^[0-9]+$")
    message(FATAL_ERROR "languages/${folder}/Row.h: no .modelNumber = <number> in the row")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${dir}/Row.h)
  string(APPEND preview_names "    ${preview} = ${model},\n")
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  foreach(source ${sources})
    get_filename_component(role ${source} NAME)
    if(role STREQUAL "Decoder.cpp")
      list(APPEND THERMAL_LANGUAGE_DECODER_SOURCES ${source})
      string(APPEND decoder_declarations "void Decode${name}(CDecodeContext& ctx);\n")
      string(APPEND decoders "    {PreviewLanguage::${preview}, Decode${name}},\n")
    elseif(role STREQUAL "SimAnswers.cpp")
      list(APPEND THERMAL_LANGUAGE_SIM_SOURCES ${source})
      string(APPEND answer_declarations "extern const tagStatusAnswers k${name}SimAnswers;\n")
      string(APPEND answers "    &k${name}SimAnswers,\n")
    elseif(role STREQUAL "Drivers.cpp")
      list(APPEND THERMAL_LANGUAGE_APP_SOURCES ${source})
      string(APPEND driver_declarations "extern const std::span<const DriverInfo> k${name}Drivers;\n")
      string(APPEND drivers "    &k${name}Drivers,\n")
    else()
      list(APPEND THERMAL_LANGUAGE_CORE_SOURCES ${source})
    endif()
  endforeach()
endforeach()

set(made "// Made by the build from languages/LanguageList.cmake (cmake/LanguageTables.cmake).")
file(CONFIGURE OUTPUT ${THERMAL_GENERATED_DIR}/languages/LanguageRows.h @ONLY CONTENT "#pragma once
@made@

#include <tuple>

@row_includes@
// The table. A device ID is matched against the rows in this order.
inline constexpr std::tuple kLanguageRows{
@rows@};
")
file(CONFIGURE OUTPUT ${THERMAL_GENERATED_DIR}/languages/LanguageEncoders.h @ONLY CONTENT "#pragma once
@made@

@encoder_includes@")
file(CONFIGURE OUTPUT ${THERMAL_GENERATED_DIR}/tools/preview/PreviewLanguage.h @ONLY CONTENT "#pragma once
@made@

// A language of the table (printers/Languages.h) by its model number.
enum class PreviewLanguage {
    Unknown = 0,
@preview_names@};
")
file(CONFIGURE OUTPUT ${THERMAL_GENERATED_DIR}/tools/preview/LanguageDecoders.h @ONLY CONTENT "#pragma once
@made@

#include \"tools/preview/DecodeContext.h\"

// One decoder per printer language. Each walks the whole input, fills the
// context's pages and settings, and stops at the first fault.
@decoder_declarations@
struct LanguageDecoder {
    PreviewLanguage language;
    void (*decode)(CDecodeContext&);
};

// The decoder of each language that the tool reads.
inline constexpr LanguageDecoder kLanguageDecoders[] = {
@decoders@};
")
file(CONFIGURE OUTPUT ${THERMAL_GENERATED_DIR}/tools/sim/LanguageAnswers.h @ONLY CONTENT "#pragma once
@made@

#include \"tools/sim/StatusAnswers.h\"

@answer_declarations@
// The status answers of each language whose printers answer queries.
inline constexpr const tagStatusAnswers* kLanguageAnswers[] = {
@answers@};
")
file(CONFIGURE OUTPUT ${THERMAL_GENERATED_DIR}/app/drivers/LanguageDrivers.h @ONLY CONTENT "#pragma once
@made@

#include <span>

#include \"app/drivers/DriverCatalog.h\"

@driver_declarations@
// The drivers of each language.
inline constexpr const std::span<const DriverInfo>* kLanguageDrivers[] = {
@drivers@};
")
