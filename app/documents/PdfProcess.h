#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/documents/GrayImage.h"
#include "app/documents/PdfReader.h"

// A PDF file read and drawn in child processes, one per step, so that a
// hostile file can cost the server neither a crash, nor a hang, nor its
// memory: each step has a time limit, after which the child is killed, and
// the pages have a size limit. Every call asks `canceled` while it waits.
class PdfProcess {
public:
    PdfProcess(std::string path, const PdfLimits& limits, int secondsPerStep,
               std::function<bool()> canceled);
    ~PdfProcess();
    PdfProcess(const PdfProcess&) = delete;
    PdfProcess& operator=(const PdfProcess&) = delete;

    // Reads the page count and the pages' sizes; false with the reason
    // (also when there are more pages than the limit).
    bool Open(std::string& why);
    int Pages() const { return static_cast<int>(m_sizes.size()); }
    const PdfPageSize& Size(int page) const { return m_sizes[size_t(page)]; }
    bool Draw(int page, double xdpi, double ydpi, GrayImage& image, std::string& why);
    // Starts drawing a page the next Draw will likely ask for, so that it
    // is drawn while the one before is printed.
    void Prepare(int page, double xdpi, double ydpi);
    bool Canceled() const { return m_stopped; }

private:
    std::string m_path;
    PdfLimits m_limits;
    int m_seconds;
    std::function<bool()> m_canceled;
    std::vector<PdfPageSize> m_sizes;
    bool m_stopped = false;
    struct PendingDraw;
    std::unique_ptr<PendingDraw> m_next;
};
