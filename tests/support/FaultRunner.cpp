#include "support/FaultRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "support/TempDir.h"

namespace {
const char kUnset[] = "\1";

std::string ReadText(const std::string& path) {
    std::vector<uint8_t> b = ReadFileBytes(path);
    return std::string(b.begin(), b.end());
}
}  // namespace

FilterResult RunFilterWithBrokenOutput(const FilterRun& run, BrokenOutput how) {
    std::vector<std::string> args = {"rastertothermal", "1", "user", "title", "1", run.options};
    std::string inPath = TempDir::Shared().NewPath("stdin");
    std::string errPath = TempDir::Shared().NewPath("err");
    WriteFileBytes(inPath, run.rasterAsFile ? std::vector<uint8_t>() : run.raster);
    if (run.rasterAsFile) {
        args.push_back(TempDir::Shared().NewPath("job") + ".ras");
        WriteFileBytes(args.back(), run.raster);
    }
    int fds[2] = {-1, -1};
    if (how == BrokenOutput::ClosedPipe && pipe(fds) != 0) return {};
    close(fds[0]);  // the reader is gone before the first byte
    pid_t pid = fork();
    if (pid == 0) {
        int in = open(inPath.c_str(), O_RDONLY);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(err, 2);
        if (how == BrokenOutput::ClosedPipe)
            dup2(fds[1], 1);
        else
            close(1);
        setenv("PPD", run.ppdPath.c_str(), 1);
        signal(SIGPIPE, SIG_DFL);  // as CUPS starts filters
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(FILTER_PATH, argv.data());
        _exit(127);
    }
    if (fds[1] >= 0) close(fds[1]);
    FilterResult r;
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) r.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    r.err = ReadText(errPath);
    unlink(inPath.c_str());
    unlink(errPath.c_str());
    return r;
}

SyslogCapture::SyslogCapture() : m_path(TempDir::Shared().NewPath("syslog")) {
    std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    // A preloaded library comes before a shared sanitizer runtime.
    asan += std::string(asan.empty() ? "" : ":") + "verify_asan_link_order=0";
    for (const auto& [name, value] :
         {std::pair<std::string, std::string>{"LD_PRELOAD", SYSLOG_CAPTURE_PATH},
          {"THERMAL_SYSLOG_FILE", m_path},
          {"ASAN_OPTIONS", asan}}) {
        const char* old = std::getenv(name.c_str());
        m_saved.emplace_back(name, old ? old : kUnset);
        setenv(name.c_str(), value.c_str(), 1);
    }
}

SyslogCapture::~SyslogCapture() {
    for (const auto& [name, value] : m_saved) {
        if (value == kUnset)
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
    unlink(m_path.c_str());
}

std::vector<std::string> SyslogCapture::Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadText(m_path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void SyslogCapture::Clear() {
    unlink(m_path.c_str());
}
