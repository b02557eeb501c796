#include "app/documents/PdfProcess.h"

#include <algorithm>
#include <cstring>

#include "app/documents/PdfWire.h"

namespace {
constexpr const char* kStopped = "The PDF file could not be read: the reader stopped on it.";

std::string Why(const pdfwire::Reply& reply) {
    return std::string(reply.why, strnlen(reply.why, sizeof reply.why));
}

std::string Seconds(double seconds) {
    const long whole = long(seconds);
    return std::to_string(whole) + (whole == 1 ? " second" : " seconds");
}
}  // namespace

PdfProcess::PdfProcess(std::string path, const PdfLimits& limits, const PdfTimeLimits& times,
                       std::function<bool()> canceled)
    : m_path(std::move(path)),
      m_limits(limits),
      m_times(times),
      m_jobBound(times.job > 0 ? times.job : 0),
      m_canceled(std::move(canceled)) {}

std::string PdfProcess::JobLimitReason() const {
    std::string pages;
    if (Pages() > 0)
        pages = " its " + std::to_string(Pages()) + (Pages() == 1 ? " page" : " pages");
    return "The PDF file took longer than " + Seconds(m_jobBound) + " in all to read and draw" +
           pages + " (the limit for a job: " + Seconds(m_times.page) + " a page, at most " +
           Seconds(m_times.job) + "); it was stopped.";
}

bool PdfProcess::Await(void* data, size_t bytes, double start, std::string& why) {
    const double now = RendererChild::Now();
    const double stepEnd = start + m_times.page;
    const double jobEnd = m_jobBound > 0 ? now + m_jobBound - m_waited : stepEnd;
    const Ended ended = m_child.Receive(data, bytes, std::min(stepEnd, jobEnd), m_canceled);
    m_waited += RendererChild::Now() - now;
    m_stopped = ended == Ended::Canceled;
    switch (ended) {
        case Ended::Done:
            return true;
        case Ended::TimedOut:
            if (jobEnd < stepEnd) return why = m_jobEnded = JobLimitReason(), false;
            why = "The PDF file took longer than " + Seconds(m_times.page) +
                  " to read or draw a page; it was stopped.";
            return false;
        case Ended::Canceled:
            why = "Canceled.";
            return false;
        default:
            why = kStopped;
            return false;
    }
}

bool PdfProcess::Open(std::string& why) {
    const double start = RendererChild::Now();
    if (m_path.empty() || m_path.size() > pdfwire::kMaxPath || !m_child.Start())
        return why = "The PDF reader could not be started.", false;
    pdfwire::Request request;
    request.ask = pdfwire::Ask::Open;
    request.maxPages = m_limits.pages;
    request.side = m_limits.side;
    request.pixels = m_limits.pixels;
    request.pageSeconds = m_times.page;
    request.pathBytes = uint32_t(m_path.size());
    if (!m_child.Send(&request, sizeof request) || !m_child.Send(m_path.data(), m_path.size()))
        return why = kStopped, false;
    pdfwire::Reply reply;
    if (!Await(&reply, sizeof reply, start, why)) return false;
    if (!reply.ok && reply.count > m_limits.pages) {
        why = "The PDF file has " + std::to_string(reply.count) + " pages; at most " +
              std::to_string(m_limits.pages) + " are printed in one job.";
        return false;
    }
    if (!reply.ok) return why = Why(reply), false;
    if (reply.count <= 0 || reply.count > m_limits.pages) return why = kStopped, false;
    m_sizes.resize(size_t(reply.count));
    if (!Await(m_sizes.data(), m_sizes.size() * sizeof(PdfPageSize), start, why)) return false;
    m_jobBound = m_times.JobBound(Pages());
    return true;
}

bool PdfProcess::Ask(int page, double xdpi, double ydpi, const PixelRect& region) {
    pdfwire::Request request;
    request.ask = pdfwire::Ask::Draw;
    request.page = page;
    request.xdpi = xdpi;
    request.ydpi = ydpi;
    request.region = region;
    if (!m_child.Send(&request, sizeof request)) return false;
    m_pending = Pending{page, xdpi, ydpi, region, RendererChild::Now()};
    return true;
}

bool PdfProcess::Collect(GrayImage& image, std::string& why) {
    const Pending pending = *m_pending;
    m_pending.reset();
    pdfwire::Reply reply;
    if (!Await(&reply, sizeof reply, pending.asked, why)) return false;
    if (!reply.ok) return why = Why(reply), false;
    const int width = reply.count, height = reply.height;
    if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > m_limits.pixels) {
        m_child.Stop();
        return why = "A page of the PDF file could not be drawn.", false;
    }
    image = GrayImage(width, height);
    return Await(image.pixels.data(), image.pixels.size(), pending.asked, why);
}

void PdfProcess::Prepare(int page, double xdpi, double ydpi) {
    if (!m_pending && m_child.Running()) Ask(page, xdpi, ydpi);
}

bool PdfProcess::Draw(int page, double xdpi, double ydpi, GrayImage& image, std::string& why,
                      const PixelRect& region) {
    if (m_pending &&
        (m_pending->page != page || m_pending->xdpi != xdpi || m_pending->ydpi != ydpi ||
         m_pending->region.width != region.width || m_pending->region.height != region.height ||
         m_pending->region.x != region.x || m_pending->region.y != region.y)) {
        GrayImage unused;
        std::string ignored;
        if (!Collect(unused, ignored) && m_stopped) return why = ignored, false;
    }
    if (!m_jobEnded.empty()) return why = m_jobEnded, false;
    // A page that stopped the renderer leaves the next ones to a new one.
    if (!m_child.Running() && (m_stopped || !Open(why))) return false;
    if (!m_pending && !Ask(page, xdpi, ydpi, region)) return why = kStopped, false;
    return Collect(image, why);
}
