#pragma once

#include <cups/raster.h>

#include <csignal>

#include "render/ObjRef.h"

class CBaseRender;
typedef struct ppd_file_s ppd_file_t;

extern int ModelNumber;
extern int Page;
extern volatile sig_atomic_t Canceled;

void CancelJob(int signal);

// The process-wide render handle (one render per process).
CStdRefPtr<CBaseRender>& RenderHandle();

// One print job: arguments, PPD, raster pages through the render's hooks.
class CCupsInstance {
public:
    virtual ~CCupsInstance() = default;

    int Run(int argc, char* argv[]);
    // Reads the page from the raster stream into the render's image and runs
    // the render's bitmap hooks.
    void StartPage(ppd_file_t* ppd, cups_page_header2_t* header, cups_raster_t* ras);
    void EndPage(ppd_file_t* ppd, cups_page_header2_t* header);
};
