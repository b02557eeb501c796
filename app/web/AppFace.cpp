#include "app/web/AppFace.h"

#include "app/web/AppIcons.h"

void AddAppFace(pappl_system_t* system) {
    papplSystemAddResourceData(system, "/favicon.png", "image/png", kIcon128, kIcon128Size);
    papplSystemAddResourceData(system, "/navicon.png", "image/png", kIcon48, kIcon48Size);
    papplSystemAddLink(system, kAppTitle, "/", PAPPL_LOPTIONS_NAVIGATION);
}

void SetPrinterIcons(pappl_pr_driver_data_t& data) {
    data.icons[0].data = kIcon48;
    data.icons[0].datalen = kIcon48Size;
    data.icons[1].data = kIcon128;
    data.icons[1].datalen = kIcon128Size;
    data.icons[2].data = kIcon512;
    data.icons[2].datalen = kIcon512Size;
}
