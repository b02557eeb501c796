#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/documents/GrayImage.h"
#include "app/documents/PdfReader.h"
#include "app/documents/PdfTimeLimits.h"
#include "app/documents/RendererChild.h"

// A PDF file read and drawn by a renderer process of its own (see
// PdfRenderer), so that a hostile file can cost the server neither a
// crash, nor a hang, nor its memory: reading the file and drawing each page
// have a time limit, after which the renderer is killed, and the pages have
// a size limit; so has the whole job (see PdfTimeLimits). Every call asks
// `canceled` while it waits.
class PdfProcess {
public:
    PdfProcess(std::string path, const PdfLimits& limits, const PdfTimeLimits& times,
               std::function<bool()> canceled);
    PdfProcess(const PdfProcess&) = delete;
    PdfProcess& operator=(const PdfProcess&) = delete;

    // Starts the renderer and reads the page count and the pages' sizes;
    // false with the reason (also when there are more pages than the limit).
    bool Open(std::string& why);
    int Pages() const { return static_cast<int>(m_sizes.size()); }
    const PdfPageSize& Size(int page) const { return m_sizes[size_t(page)]; }
    // The page, or only `region` of it (see PdfReader::Draw). A renderer
    // stopped on an earlier page is started again for this one.
    bool Draw(int page, double xdpi, double ydpi, GrayImage& image, std::string& why,
              const PixelRect& region = {});
    // Starts drawing a page the next Draw will likely ask for, so that it
    // is drawn while the one before is printed.
    void Prepare(int page, double xdpi, double ydpi);
    bool Canceled() const { return m_stopped; }
    // Why the whole job is over its time (then every Draw fails with it),
    // or empty.
    const std::string& JobEnded() const { return m_jobEnded; }

private:
    // A page asked for and not yet collected, and when it was asked for.
    struct Pending {
        int page;
        double xdpi, ydpi;
        PixelRect region;
        double asked;
    };
    bool Ask(int page, double xdpi, double ydpi, const PixelRect& region = {});
    bool Collect(GrayImage& image, std::string& why);
    // Reads from the renderer within the time of the step begun at `start`
    // and what is left of the job's.
    bool Await(void* data, size_t bytes, double start, std::string& why);
    std::string JobLimitReason() const;

    std::string m_path;
    PdfLimits m_limits;
    PdfTimeLimits m_times;
    double m_jobBound;    // seconds, 0 for none
    double m_waited = 0;  // for the renderer, in all
    std::function<bool()> m_canceled;
    std::vector<PdfPageSize> m_sizes;
    bool m_stopped = false;
    std::string m_jobEnded;
    std::optional<Pending> m_pending;
    RendererChild m_child;
};
