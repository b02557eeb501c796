#include "app/documents/RendererChild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "app/documents/PdfWire.h"

extern char** environ;

namespace {
// How often a wait looks at the job's cancel flag.
constexpr int kPollMs = 100;

// posix_spawn's settings for the child: every signal at its default and
// none blocked (the server ignores SIGPIPE, and its threads block some),
// only its end of the socket kept besides the standard files.
class SpawnSettings {
public:
    explicit SpawnSettings(int childEnd) {
        posix_spawn_file_actions_init(&m_files);
        posix_spawn_file_actions_adddup2(&m_files, childEnd, pdfwire::kRendererFd);
        posix_spawn_file_actions_addclosefrom_np(&m_files, pdfwire::kRendererFd + 1);
        posix_spawnattr_init(&m_attributes);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        posix_spawnattr_setsigmask(&m_attributes, &none);
        posix_spawnattr_setsigdefault(&m_attributes, &all);
        posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSettings() {
        posix_spawn_file_actions_destroy(&m_files);
        posix_spawnattr_destroy(&m_attributes);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;
    const posix_spawn_file_actions_t* Files() const { return &m_files; }
    const posix_spawnattr_t* Attributes() const { return &m_attributes; }

private:
    posix_spawn_file_actions_t m_files;
    posix_spawnattr_t m_attributes;
};
}  // namespace

double RendererChild::Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

bool RendererChild::Start() {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
    // Above the number it takes in the child, so that dup2 there clears
    // close-on-exec (other threads' children never see it).
    const int childEnd = fcntl(ends[1], F_DUPFD_CLOEXEC, pdfwire::kRendererFd + 1);
    close(ends[1]);
    if (childEnd < 0) {
        close(ends[0]);
        return false;
    }
    const SpawnSettings settings(childEnd);
    std::string server = std::to_string(getpid());
    char name[] = "thermal-printer-app";
    std::string arg = pdfwire::kRendererArg;
    char* argv[] = {name, arg.data(), server.data(), nullptr};
    // The running program's file, even when it was replaced on disk since.
    const int error = posix_spawn(&m_pid, "/proc/self/exe", settings.Files(), settings.Attributes(),
                                  argv, environ);
    close(childEnd);
    if (error != 0) {
        m_pid = -1;
        close(ends[0]);
        return false;
    }
    m_fd = ends[0];
    return true;
}

bool RendererChild::Send(const void* data, size_t bytes) {
    const auto* at = static_cast<const char*>(data);
    while (m_pid > 0 && bytes > 0) {
        const ssize_t n = send(m_fd, at, bytes, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        bytes -= size_t(n);
    }
    return m_pid > 0;
}

Ended RendererChild::Receive(void* data, size_t bytes, double deadline,
                             const std::function<bool()>& canceled) {
    auto* at = static_cast<char*>(data);
    Ended ended = m_pid > 0 ? Ended::Done : Ended::Failed;
    while (ended == Ended::Done && bytes > 0) {
        if (canceled && canceled()) {
            ended = Ended::Canceled;
        } else if (Now() >= deadline) {
            ended = Ended::TimedOut;
        } else if (pollfd p{m_fd, POLLIN, 0}; poll(&p, 1, kPollMs) > 0) {
            const ssize_t n = recv(m_fd, at, bytes, MSG_DONTWAIT);
            if (n > 0) {
                at += n;
                bytes -= size_t(n);
            } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                ended = Ended::Failed;  // the child is gone
            }
        }
    }
    if (ended != Ended::Done) Stop();
    return ended;
}

void RendererChild::Stop() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    while (waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}
