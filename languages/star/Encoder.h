#pragma once

#include <cstdint>
#include <string>

#include "render/BaseRender.h"

// Star receipt printers in raster mode (TSP100/TSP143 futurePRNT, and the
// line-mode models, which have the same raster commands). The job enters
// raster mode once and sets quality, continuous page length and the
// end-of-job action (cut); every dot row goes out as `b n1 n2` bytes, runs
// of white rows as ESC * r Y n NUL. ESC FF NUL ends a page that is cut on
// its own, ESC FF EOT the job, and ESC * r B leaves raster mode. Numbers
// of ESC * r commands are ASCII digits ended by NUL. One WriteSpool per page.
class CPrinterStar : public CBaseRender {
public:
    void OnPaintBmp() override;
    void OnDestroy() override;

private:
    void AppendJobStart(std::string& out) const;
    void AppendRows(std::string& out) const;
    bool CutsEveryPage() const { return reg.iCutMode == 3 || reg.iCutMode == 4; }

    int pagesSent = 0;
};

// ESC * r <command> n NUL: n as decimal ASCII digits.
void AppendStarNumber(std::string& out, const char* command, int n);
// The end-of-job (and form-feed) mode of a CutMode choice.
int StarCutAction(int cutMode);
