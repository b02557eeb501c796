#include "app/documents/PdfProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define THERMAL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define THERMAL_ADDRESS_SANITIZER 1
#endif
#endif

namespace {
#ifdef THERMAL_ADDRESS_SANITIZER
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

// What a child leaves in the memory it shares with the server.
struct Result {
    int ok;
    int pages;
    int width;
    int height;
    char why[256];
};

// Memory shared with one child: the result, then the page sizes or pixels.
class SharedArea {
public:
    explicit SharedArea(size_t dataBytes) : m_size(sizeof(Result) + dataBytes) {
        void* p = mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        m_base = p == MAP_FAILED ? nullptr : static_cast<unsigned char*>(p);
    }
    ~SharedArea() {
        if (m_base) munmap(m_base, m_size);
    }
    SharedArea(const SharedArea&) = delete;
    SharedArea& operator=(const SharedArea&) = delete;
    bool Valid() const { return m_base != nullptr; }
    Result& result() { return *reinterpret_cast<Result*>(m_base); }
    unsigned char* Data() { return m_base + sizeof(Result); }
    size_t DataBytes() const { return m_size - sizeof(Result); }

private:
    size_t m_size;
    unsigned char* m_base = nullptr;
};

void SetWhy(Result& r, const std::string& why) {
    std::snprintf(r.why, sizeof r.why, "%s", why.c_str());
}

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

// Memory a child may take beyond what it starts with (the server's, shared
// until written to).
constexpr uint64_t kChildMemory = uint64_t{1} << 30;

// The address space the process has now, from /proc/self/statm (pages).
uint64_t AddressSpace() {
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    unsigned long long pages = 0;
    const int read = std::fscanf(statm, "%llu", &pages);
    std::fclose(statm);
    return read == 1 ? pages * uint64_t(sysconf(_SC_PAGESIZE)) : 0;
}

// The child keeps none of the server's files (sockets, devices, other
// children's pipes, whose readers would wait for it), ends on a stop signal
// (none of the server's handlers) and keeps within its time and memory.
void LimitChild(int keep, int seconds, uint64_t space) {
    if (keep > 3) close_range(3, unsigned(keep) - 1, 0);
    close_range(unsigned(keep) + 1, ~0u, 0);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) signal(sig, SIG_DFL);
    const rlim_t cpu = rlim_t(seconds) + 2;
    const rlimit cpuLimit{cpu, cpu};
    setrlimit(RLIMIT_CPU, &cpuLimit);
    // AddressSanitizer reserves terabytes of address space up front.
    if (space > 0 && !kAddressSanitizer) {
        const rlimit memory{rlim_t(space + kChildMemory), rlim_t(space + kChildMemory)};
        setrlimit(RLIMIT_AS, &memory);
    }
}

enum class Ended { Done, Failed, TimedOut, Canceled };

// A step run in a child: started at once, then waited for until it ends,
// the time is up or the job is cancelled (then the child is killed). The
// child's end of a pipe closes when it exits, which wakes the wait. A run
// not waited for is killed when it goes.
class ChildRun {
public:
    ChildRun(const std::function<void()>& step, int seconds) {
        int fds[2];
        if (pipe(fds) != 0) return;
        const uint64_t space = AddressSpace();
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            LimitChild(fds[1], seconds, space);
            step();
            _exit(0);
        }
        close(fds[1]);
        if (m_pid < 0) {
            close(fds[0]);
            return;
        }
        m_fd = fds[0];
        m_deadline = Now() + seconds;
    }
    ~ChildRun() {
        if (m_pid > 0) End(true);
    }
    ChildRun(const ChildRun&) = delete;
    ChildRun& operator=(const ChildRun&) = delete;

    Ended Wait(const std::function<bool()>& canceled) {
        if (m_pid <= 0) return Ended::Failed;
        Ended ended = Ended::Done;
        for (;;) {
            pollfd p{m_fd, POLLIN, 0};
            if (poll(&p, 1, 100) > 0) break;  // closed: the child has ended
            if (canceled && canceled()) {
                ended = Ended::Canceled;
                break;
            }
            if (Now() >= m_deadline) {
                ended = Ended::TimedOut;
                break;
            }
        }
        const bool exited = End(ended != Ended::Done);
        return ended == Ended::Done && !exited ? Ended::Failed : ended;
    }

private:
    // Reaps the child (killed first if asked); whether it exited cleanly.
    bool End(bool kill) {
        close(m_fd);
        if (kill) ::kill(m_pid, SIGKILL);
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    pid_t m_pid = -1;
    int m_fd = -1;
    double m_deadline = 0;
};

bool Explain(Ended ended, int seconds, Result& r, std::string& why) {
    switch (ended) {
        case Ended::Done:
            if (r.ok) return true;
            why = r.why;
            return false;
        case Ended::TimedOut:
            why = "The PDF file took longer than " + std::to_string(seconds) +
                  " seconds to read or draw a page; it was stopped.";
            return false;
        case Ended::Canceled:
            why = "Canceled.";
            return false;
        default:
            why = "The PDF file could not be read: the reader stopped on it.";
            return false;
    }
}
}  // namespace

PdfProcess::PdfProcess(std::string path, const PdfLimits& limits, int secondsPerStep,
                       std::function<bool()> canceled)
    : m_path(std::move(path)),
      m_limits(limits),
      m_seconds(secondsPerStep),
      m_canceled(std::move(canceled)) {}

bool PdfProcess::Open(std::string& why) {
    SharedArea area(sizeof(PdfPageSize) * size_t(m_limits.pages));
    if (!area.Valid()) return why = "Out of memory for the PDF file.", false;
    Result& r = area.result();
    r = Result{};
    ChildRun run(
        [&] {
            PdfReader reader;
            std::string message;
            if (!reader.OpenFile(m_path, message)) return SetWhy(r, message);
            r.pages = reader.Pages();
            if (r.pages > m_limits.pages) return;
            auto* sizes = reinterpret_cast<PdfPageSize*>(area.Data());
            for (int i = 0; i < r.pages; i++)
                if (!reader.Size(i, sizes[i], message)) return SetWhy(r, message);
            r.ok = 1;
        },
        m_seconds);
    const Ended ended = run.Wait(m_canceled);
    m_stopped = ended == Ended::Canceled;
    if (ended == Ended::Done && r.pages > m_limits.pages) {
        why = "The PDF file has " + std::to_string(r.pages) + " pages; at most " +
              std::to_string(m_limits.pages) + " are printed in one job.";
        return false;
    }
    if (!Explain(ended, m_seconds, r, why)) return false;
    const auto* sizes = reinterpret_cast<const PdfPageSize*>(area.Data());
    m_sizes.assign(sizes, sizes + r.pages);
    return true;
}

// A page being drawn in a child, into memory shared with it.
struct PdfProcess::PendingDraw {
    int page;
    double xdpi, ydpi;
    SharedArea area;
    std::unique_ptr<ChildRun> run;

    PendingDraw(const PdfProcess& pdf, int p, double x, double y)
        : page(p), xdpi(x), ydpi(y), area(size_t(pdf.m_limits.pixels)) {
        if (!area.Valid()) return;
        area.result() = Result{};
        run = std::make_unique<ChildRun>([&] { DrawInChild(pdf); }, pdf.m_seconds);
    }

    void DrawInChild(const PdfProcess& pdf) {
        Result& r = area.result();
        PdfReader reader;
        std::string message;
        GrayImage drawn;
        if (!reader.OpenFile(pdf.m_path, message) ||
            !reader.Draw(page, xdpi, ydpi, pdf.m_limits, drawn, message))
            return SetWhy(r, message);
        if (drawn.pixels.size() > area.DataBytes()) return SetWhy(r, "The page is too large.");
        std::memcpy(area.Data(), drawn.pixels.data(), drawn.pixels.size());
        r.width = drawn.width;
        r.height = drawn.height;
        r.ok = 1;
    }
};

PdfProcess::~PdfProcess() = default;

void PdfProcess::Prepare(int page, double xdpi, double ydpi) {
    m_next = std::make_unique<PendingDraw>(*this, page, xdpi, ydpi);
}

bool PdfProcess::Draw(int page, double xdpi, double ydpi, GrayImage& image, std::string& why) {
    std::unique_ptr<PendingDraw> draw = std::move(m_next);
    if (!draw || draw->page != page || draw->xdpi != xdpi || draw->ydpi != ydpi)
        draw = std::make_unique<PendingDraw>(*this, page, xdpi, ydpi);
    if (!draw->run) return why = "Out of memory for the PDF file.", false;
    Result& r = draw->area.result();
    const Ended ended = draw->run->Wait(m_canceled);
    m_stopped = ended == Ended::Canceled;
    if (!Explain(ended, m_seconds, r, why)) return false;
    if (r.width <= 0 || r.height <= 0 ||
        uint64_t(r.width) * uint64_t(r.height) > draw->area.DataBytes())
        return why = "A page of the PDF file could not be drawn.", false;
    image = GrayImage(r.width, r.height);
    std::memcpy(image.pixels.data(), draw->area.Data(), image.pixels.size());
    return true;
}
