#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/preview/StreamDecoder.h"
#include "tools/sim/PrinterState.h"

// Where the printer's output goes: DIR/stream.bin gets every byte received
// (status queries left out), DIR/page-NNNN.png every printed page. Pages are
// numbered as they arrive, across connections; a lost page has a number but
// no file.
class CPageOutput {
public:
    CPageOutput(const std::string& dir, CPrinterState& state) : m_dir(dir), m_state(state) {}
    ~CPageOutput();
    CPageOutput(const CPageOutput&) = delete;
    CPageOutput& operator=(const CPageOutput&) = delete;

    // Creates the folder if needed and starts stream.bin afresh; the error,
    // or empty.
    std::string Open();
    void Keep(const uint8_t* data, size_t size);
    // A page has arrived: printed or lost, as the printer's state says.
    void Page(const tagDecodedPage& page);

private:
    std::string m_dir;
    CPrinterState& m_state;
    FILE* m_stream = nullptr;
    uint32_t m_number = 0;
    bool m_streamFailed = false;
};
