#pragma once

#include <cstddef>

// The application's printer icons (app/web/icons/printer-SIZE.png), compiled in.
extern const unsigned char kIcon48[];
extern const size_t kIcon48Size;
extern const unsigned char kIcon128[];
extern const size_t kIcon128Size;
extern const unsigned char kIcon512[];
extern const size_t kIcon512Size;
