#include "support/FaultRunner.h"

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
    FilterRun broken = run;
    broken.brokenOutput = how;
    return RunFilter(broken);
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
