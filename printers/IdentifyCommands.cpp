#include "printers/IdentifyCommands.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "printers/PrinterPaperang.h"

namespace {
using Maker = std::vector<uint8_t> (*)(const IdentifySettings&);

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

// A framed, checksummed feed packet; the value is the printer's feed amount
// (rows of dots).
std::vector<uint8_t> PaperangFeed(const IdentifySettings& settings) {
    CPrinterPaperang encoder(settings.paperangSeed);
    encoder.cmdFeed(80);
    const uint8_t* data = encoder.pageBuffer.GetBuffer();
    return {data, data + encoder.pageBuffer.GetBufferLength()};
}

struct IdentifyRow {
    int modelNumber;
    Maker make;
};

// One row per language. The label printers' commands feed to the next
// label: TSPL FORMFEED; CPCL a label with nothing but FORM; ZPL ~PH (slew
// to home: one blank label); EPL2 an empty label (N, then P1 prints it).
// ESC/POS: ESC d 3, three lines; PeriPage: its start, ESC J 80 (80 rows
// of dots) and its end.
constexpr IdentifyRow kRows[] = {
    {20, [](const IdentifySettings&) { return Bytes("FORMFEED\r\n"); }},
    {21, [](const IdentifySettings&) { return Bytes("\x1b\x64\x03"); }},
    {22, [](const IdentifySettings&) { return Bytes("! 0 200 200 8 1\r\nFORM\r\nPRINT\r\n"); }},
    {23, PaperangFeed},
    {24,
     [](const IdentifySettings&) {
         return Bytes(std::string_view("\x10\xff\xfe\x01\x1b\x4a\x50\x10\xff\xfe\x45", 11));
     }},
    {25, [](const IdentifySettings&) { return Bytes("~PH\r\n"); }},
    {26, [](const IdentifySettings&) { return Bytes("\nN\nP1\n"); }},
};
}  // namespace

std::vector<uint8_t> IdentifyBytes(int modelNumber, const IdentifySettings& settings) {
    auto row = std::find_if(std::begin(kRows), std::end(kRows),
                            [&](const IdentifyRow& r) { return r.modelNumber == modelNumber; });
    return row == std::end(kRows) ? std::vector<uint8_t>{} : row->make(settings);
}
