#include "support/PrinterSim.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/TempDir.h"

namespace {
namespace fs = std::filesystem;

const fs::path kSim = fs::path(APP_PATH).parent_path() / "thermal-printer-sim";
}  // namespace

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

PrinterSim::PrinterSim(const std::vector<std::string>& options, bool serial)
    : m_dir(TempDir::Shared().NewPath("sim")),
      m_log(m_dir + "/events.txt"),
      m_pty(serial ? m_dir + "/tty" : "") {
    fs::create_directories(m_dir + "/out");
    std::vector<std::string> args{kSim.string(), "--out", m_dir + "/out"};
    if (serial)
        args.insert(args.end(), {"--pty", m_pty});
    else
        args.insert(args.end(), {"--port", "0"});
    args.insert(args.end(), options.begin(), options.end());
    m_pid = fork();
    if (m_pid == 0) {
        if (!std::freopen(m_log.c_str(), "w", stdout)) _exit(126);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
}

PrinterSim::~PrinterSim() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGCONT);
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
}

bool PrinterSim::Built() {
    return fs::exists(kSim);
}

std::string PrinterSim::Uri() const {
    if (!m_pty.empty()) {
        std::error_code error;
        if (!WaitUntil([&] { return fs::is_symlink(m_pty, error); }, 10000)) return "";
        return "serial:" + fs::read_symlink(m_pty, error).string() + "?baud=115200";
    }
    const std::string prefix = "listening on 127.0.0.1:";
    std::string uri;
    WaitUntil(
        [&] {
            const std::string events = Events();
            const size_t at = events.find(prefix);
            const size_t end = events.find('\n', at);
            if (at == std::string::npos || end == std::string::npos) return false;
            uri =
                "socket://127.0.0.1:" + events.substr(at + prefix.size(), end - at - prefix.size());
            return true;
        },
        10000);
    return uri;
}

std::string PrinterSim::Events() const {
    std::ifstream in(m_log);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int PrinterSim::Pages() const {
    int pages = 0;
    for (const auto& entry : fs::directory_iterator(m_dir + "/out"))
        pages += entry.path().filename().string().starts_with("page-");
    return pages;
}

size_t PrinterSim::StreamBytes() const {
    std::error_code ec;
    const auto size = fs::file_size(m_dir + "/out/stream.bin", ec);
    return ec ? 0 : static_cast<size_t>(size);
}

void PrinterSim::LoadPaper() const {
    kill(m_pid, SIGUSR1);
}

void PrinterSim::Freeze() const {
    kill(m_pid, SIGSTOP);
}

void PrinterSim::Thaw() const {
    kill(m_pid, SIGCONT);
}
