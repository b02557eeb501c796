#include "tools/sim/PageOutput.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "tools/preview/PngWriter.h"
#include "tools/sim/EventLog.h"

CPageOutput::~CPageOutput() {
    if (m_stream) std::fclose(m_stream);
}

std::string CPageOutput::Open() {
    if (mkdir(m_dir.c_str(), 0777) != 0 && errno != EEXIST)
        return "cannot create " + m_dir + ": " + std::strerror(errno);
    const std::string path = m_dir + "/stream.bin";
    m_stream = std::fopen(path.c_str(), "wb");
    if (!m_stream) return "cannot write " + path + ": " + std::strerror(errno);
    return std::string();
}

void CPageOutput::Keep(const uint8_t* data, size_t size) {
    if (size == 0 || m_streamFailed) return;
    if (std::fwrite(data, 1, size, m_stream) != size || std::fflush(m_stream) != 0) {
        m_streamFailed = true;
        LogEvent(std::string("cannot write stream.bin: ") + std::strerror(errno));
    }
}

void CPageOutput::Page(const tagDecodedPage& page) {
    const std::string number = std::to_string(++m_number);
    const std::string lost = m_state.LostBecause();
    if (!lost.empty()) {
        LogEvent("page " + number + " lost: " + lost);
        m_state.Lost(lost);
        return;
    }
    char name[32];
    std::snprintf(name, sizeof name, "/page-%04u.png", m_number);
    std::string error;
    if (!WritePagePng(m_dir + name, page, error)) LogEvent("cannot write " + error);
    LogEvent("page " + number + " printed " + std::to_string(page.width) + "x" +
             std::to_string(page.height) + (page.complete ? "" : ", cut short"));
    m_state.Printed(SimClock::now());
}
