#pragma once

#include <cstddef>

// A PNG icon compiled in.
struct AppIcon {
    const unsigned char* data;
    size_t size;
};

// The printer families, each with its icon (app/web/icons/FAMILY-SIZE.png):
// label printers (also the application's icon), receipt printers and mini
// printers.
enum IconFamily { kLabelIcon, kReceiptIcon, kMiniIcon };
enum IconSize { kIcon48, kIcon128, kIcon512 };

// By family, then by size.
extern const AppIcon kAppIcons[3][3];
