#pragma once

#include <cups/raster.h>

#include <csignal>

#include "render/BaseRender.h"
#include "render/ObjRef.h"

struct CCupsBinding;
typedef struct ppd_file_s ppd_file_t;

// Set by SIGTERM: the job stops after the page being printed.
extern volatile sig_atomic_t Canceled;

void CancelJob(int signal);

// One print job: arguments, PPD, raster pages through the render's hooks.
class CCupsInstance {
public:
    virtual ~CCupsInstance() = default;

    int Run(int argc, char* argv[]);
    // Reads the page from the raster stream into the render's image and runs
    // the render's bitmap hooks.
    void StartPage(ppd_file_t* ppd, cups_page_header2_t* header, cups_raster_t* ras);
    void EndPage(ppd_file_t* ppd, cups_page_header2_t* header);

private:
    int m_page = 0;
    CStdRefPtr<CBaseRender> m_render;
    CCupsBinding* m_binding = nullptr;  // m_render's CUPS side
};
