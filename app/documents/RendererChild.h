#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>

// How a wait for the renderer ended.
enum class Ended { Done, Failed, TimedOut, Canceled };

// The PDF renderer (see PdfRenderer) as the server runs it: this program
// started anew with posix_spawn, so nothing of the threaded server (its
// locks, its files) is in it, joined to the server by a socket. The child
// is killed and reaped when this goes.
class RendererChild {
public:
    RendererChild() = default;
    ~RendererChild() { Stop(); }
    RendererChild(const RendererChild&) = delete;
    RendererChild& operator=(const RendererChild&) = delete;

    bool Start();
    bool Running() const { return m_pid > 0; }
    bool Send(const void* data, size_t bytes);
    // Reads exactly `bytes`, until the monotonic `deadline` (seconds, see
    // Now), asking `canceled` while it waits; the child is killed on any
    // end but Done.
    Ended Receive(void* data, size_t bytes, double deadline, const std::function<bool()>& canceled);
    // Kills and reaps the child.
    void Stop();

    static double Now();

private:
    pid_t m_pid = -1;
    int m_fd = -1;
};
