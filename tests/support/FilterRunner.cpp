#include "support/FilterRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "support/TempDir.h"

namespace {
std::string ReadText(const std::string& path) {
    std::vector<uint8_t> b = ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}

// Starts the filter with stdout and stderr going to files (stdout broken
// instead when the run asks for it).
int Spawn(const FilterRun& run, int stdinFd, const std::string& outPath,
          const std::string& errPath) {
    int pipeFds[2] = {-1, -1};
    if (run.brokenOutput == BrokenOutput::ClosedPipe && pipe(pipeFds) != 0) return -1;
    if (pipeFds[0] >= 0) close(pipeFds[0]);  // the reader is gone before the first byte
    std::vector<std::string> args = {"rastertothermal"};
    if (!run.argsOverride.empty()) {
        args.insert(args.end(), run.argsOverride.begin(), run.argsOverride.end());
    } else {
        args.insert(args.end(), {"1", "user", "title", "1", run.options});
    }
    std::string rasterPath;
    if (run.rasterAsFile && run.argsOverride.empty()) {
        rasterPath = TempDir::Shared().NewPath("job") + ".ras";
        WriteFileBytes(rasterPath, run.raster);
        args.push_back(rasterPath);
    }
    pid_t pid = fork();
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(stdinFd, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (run.brokenOutput == BrokenOutput::ClosedPipe) dup2(pipeFds[1], 1);
        if (run.brokenOutput == BrokenOutput::ClosedDescriptor) close(1);
        signal(SIGPIPE, SIG_DFL);  // as CUPS starts filters
        if (run.usePpdEnv)
            setenv("PPD", run.ppdPath.c_str(), 1);
        else
            unsetenv("PPD");
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(FILTER_PATH, argv.data());
        _exit(127);
    }
    if (pipeFds[1] >= 0) close(pipeFds[1]);
    return pid;
}

FilterResult Collect(int pid, const std::string& outPath, const std::string& errPath) {
    FilterResult r;
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) r.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    r.out = ReadFileBytes(outPath);
    r.err = ReadText(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return r;
}
}  // namespace

FilterResult RunFilter(const FilterRun& run) {
    std::string inPath = TempDir::Shared().NewPath("stdin");
    WriteFileBytes(inPath, run.rasterAsFile ? std::vector<uint8_t>() : run.raster);
    int in = open(inPath.c_str(), O_RDONLY);
    std::string outPath = TempDir::Shared().NewPath("out");
    std::string errPath = TempDir::Shared().NewPath("err");
    int pid = Spawn(run, in, outPath, errPath);
    close(in);
    unlink(inPath.c_str());
    return Collect(pid, outPath, errPath);
}

FilterResult RunFilter(const std::string& ppdPath, const std::vector<uint8_t>& raster,
                       const std::string& options) {
    FilterRun run;
    run.ppdPath = ppdPath;
    run.raster = raster;
    run.options = options;
    return RunFilter(run);
}

FilterProcess::FilterProcess(const std::string& ppdPath, const std::string& options) {
    int fds[2];
    if (pipe(fds) != 0) return;
    FilterRun run;
    run.ppdPath = ppdPath;
    run.options = options;
    m_outPath = TempDir::Shared().NewPath("out");
    m_errPath = TempDir::Shared().NewPath("err");
    signal(SIGPIPE, SIG_IGN);
    m_pid = Spawn(run, fds[0], m_outPath, m_errPath);
    close(fds[0]);
    m_stdin = fds[1];
}

FilterProcess::~FilterProcess() {
    CloseInput();
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

void FilterProcess::Write(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    while (from < to) {
        ssize_t n = write(m_stdin, bytes.data() + from, to - from);
        if (n <= 0) return;
        from += static_cast<size_t>(n);
    }
}

void FilterProcess::Signal(int sig) {
    kill(m_pid, sig);
}

bool FilterProcess::WaitUntilCatching(int sig, int timeoutMs) {
    const std::string path = "/proc/" + std::to_string(m_pid) + "/status";
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        std::ifstream status(path);
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("SigCgt:", 0) == 0 &&
                (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1) & 1))
                return true;
        usleep(10000);
    }
    return false;
}

void FilterProcess::CloseInput() {
    if (m_stdin >= 0) close(m_stdin);
    m_stdin = -1;
}

bool FilterProcess::WaitForError(const std::string& text, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (ReadText(m_errPath).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

FilterResult FilterProcess::Wait() {
    CloseInput();
    FilterResult r = Collect(m_pid, m_outPath, m_errPath);
    m_pid = -1;
    return r;
}
