#include "app/web/AppFace.h"

#include "app/web/AppIcons.h"
#include "printers/Languages.h"

namespace {
// Label printers are the languages' own; of the roll printers, those with a
// cutter are receipt printers and the others pocket-sized mini printers.
IconFamily FamilyOf(const Language& language) {
    if (language.label) return kLabelIcon;
    return language.cut ? kReceiptIcon : kMiniIcon;
}
}  // namespace

void AddAppFace(pappl_system_t* system) {
    const AppIcon& tab = kAppIcons[kLabelIcon][kIcon128];
    const AppIcon& header = kAppIcons[kLabelIcon][kIcon48];
    papplSystemAddResourceData(system, "/favicon.png", "image/png", tab.data, tab.size);
    papplSystemAddResourceData(system, "/navicon.png", "image/png", header.data, header.size);
    papplSystemAddLink(system, kAppTitle, "/", PAPPL_LOPTIONS_NAVIGATION);
}

void SetPrinterIcons(pappl_pr_driver_data_t& data, const Language& language) {
    const AppIcon* icons = kAppIcons[FamilyOf(language)];
    for (int size : {kIcon48, kIcon128, kIcon512}) {
        data.icons[size].data = icons[size].data;
        data.icons[size].datalen = icons[size].size;
    }
}
