# Turns the PNG icons in app/web/icons/ into byte arrays (app/web/AppIcons.h names
# them), remade when an icon changes.
set(ICON_SOURCE ${CMAKE_BINARY_DIR}/generated/AppIconData.cpp)
set(ICON_TEXT "// Made by cmake/EmbedIcons.cmake from app/web/icons/.\n#include \"app/web/AppIcons.h\"\n")
foreach(size 48 128 512)
  set(png ${PROJECT_SOURCE_DIR}/app/web/icons/printer-${size}.png)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${png})
  file(READ ${png} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR bytes "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(APPEND ICON_TEXT "const unsigned char kIcon${size}[${bytes}] = {${hex}};\n"
         "const size_t kIcon${size}Size = ${bytes};\n")
endforeach()
file(CONFIGURE OUTPUT ${ICON_SOURCE} CONTENT "${ICON_TEXT}" @ONLY)
