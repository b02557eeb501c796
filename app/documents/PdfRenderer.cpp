#include "app/documents/PdfRenderer.h"

#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/documents/PdfReader.h"
#include "app/documents/PdfWire.h"

#if defined(__SANITIZE_ADDRESS__)
#define THERMAL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define THERMAL_ADDRESS_SANITIZER 1
#endif
#endif

namespace {
using pdfwire::kRendererFd;

#ifdef THERMAL_ADDRESS_SANITIZER
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

// Memory the renderer may take beyond what it starts with.
constexpr uint64_t kDrawingMemory = uint64_t{1} << 30;
// CPU time beyond the server's own limits, which come first.
constexpr int kCpuSlack = 2;

// The address space the process has now, from /proc/self/statm (pages).
uint64_t AddressSpace() {
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    unsigned long long pages = 0;
    const int read = std::fscanf(statm, "%llu", &pages);
    std::fclose(statm);
    return read == 1 ? pages * uint64_t(sysconf(_SC_PAGESIZE)) : 0;
}

// Killed as soon as the server is gone, however it went; and none of its
// memory is poppler's to take.
bool TieToServer(const char* serverPid) {
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) return false;
    // The server may have died before the line above.
    if (std::to_string(getppid()) != serverPid) return false;
    const uint64_t space = AddressSpace();
    // AddressSanitizer reserves terabytes of address space up front.
    if (space > 0 && !kAddressSanitizer) {
        const rlimit memory{rlim_t(space + kDrawingMemory), rlim_t(space + kDrawingMemory)};
        setrlimit(RLIMIT_AS, &memory);
    }
    return true;
}

// A bound the server's own time limits keep it well within: each page
// drawn twice at most (once to find its content), each in its time.
void LimitCpu(int pageSeconds, int pages) {
    if (pageSeconds <= 0) return;
    const rlim_t seconds = rlim_t(pageSeconds) * (2 * rlim_t(pages) + 1) + kCpuSlack;
    const rlimit cpu{seconds, seconds};
    setrlimit(RLIMIT_CPU, &cpu);
}

void SetWhy(pdfwire::Reply& reply, const std::string& why) {
    std::snprintf(reply.why, sizeof reply.why, "%s", why.c_str());
}

// Opens the file and answers with its page count and the pages' sizes.
bool Open(PdfReader& reader, const pdfwire::Request& request, PdfLimits& limits) {
    if (request.pathBytes == 0 || request.pathBytes > pdfwire::kMaxPath) return false;
    std::string path(request.pathBytes, '\0');
    if (!pdfwire::ReadAll(kRendererFd, path.data(), path.size())) return false;
    limits = PdfLimits{request.maxPages, request.pixels, request.side};
    pdfwire::Reply reply;
    std::vector<PdfPageSize> sizes;
    std::string why;
    if (!reader.OpenFile(path, why)) {
        SetWhy(reply, why);
    } else if ((reply.count = reader.Pages()) <= limits.pages) {
        sizes.resize(size_t(reply.count));
        reply.ok = 1;
        // A damaged page has no size; it is not printed, the others are.
        for (int i = 0; i < reply.count; i++)
            if (!reader.Size(i, sizes[size_t(i)], why)) sizes[size_t(i)] = PdfPageSize{};
    }
    if (!reply.ok) sizes.clear();
    LimitCpu(request.pageSeconds, reply.count);
    return pdfwire::WriteAll(kRendererFd, &reply, sizeof reply) &&
           pdfwire::WriteAll(kRendererFd, sizes.data(), sizes.size() * sizeof(PdfPageSize));
}

// Draws a page and answers with its pixels.
bool Draw(const PdfReader& reader, const pdfwire::Request& request, const PdfLimits& limits) {
    pdfwire::Reply reply;
    GrayImage image;
    std::string why;
    if (request.page < 0 || request.page >= reader.Pages()) {
        SetWhy(reply, "A page of the PDF file is damaged.");
    } else if (!reader.Draw(request.page, request.xdpi, request.ydpi, limits, image, why,
                            request.region)) {
        SetWhy(reply, why);
    } else {
        reply = {1, image.width, image.height, {}};
    }
    return pdfwire::WriteAll(kRendererFd, &reply, sizeof reply) &&
           pdfwire::WriteAll(kRendererFd, image.pixels.data(), image.pixels.size());
}

int Serve() {
    PdfReader reader;
    PdfLimits limits;
    bool opened = false;
    pdfwire::Request request;
    while (pdfwire::ReadAll(kRendererFd, &request, sizeof request)) {
        bool answered = false;
        if (request.ask == pdfwire::Ask::Open && !opened)
            answered = opened = Open(reader, request, limits);
        else if (request.ask == pdfwire::Ask::Draw && opened)
            answered = Draw(reader, request, limits);
        if (!answered) return 1;
    }
    return 0;
}
}  // namespace

bool IsPdfRendererCall(int argc, char* argv[]) {
    return argc == 3 && std::string_view(argv[1]) == pdfwire::kRendererArg;
}

int RunPdfRenderer(int, char* argv[]) {
    if (!TieToServer(argv[2])) return 1;
    const int status = Serve();
    // Nothing of poppler's to tear down: the process ends here.
    std::fflush(nullptr);
    _exit(status);
}
