#include "printers/IdentifyCommands.h"

#include <string_view>

#include "printers/Languages.h"
#include "languages/paperang/Encoder.h"

namespace {
std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}
}  // namespace

// The label printers' commands feed to the next label: TSPL FORMFEED; CPCL
// a label with nothing but FORM; ZPL ~PH (slew to home: one blank label);
// EPL2 an empty label (N, then P1 prints it); DYMO a form feed (ESC E) after
// a reset. ESC/POS: ESC d 3, three lines; PeriPage: its start, ESC J 80 (80
// rows of dots) and its end.
std::vector<uint8_t> IdentifyTspl(const IdentifySettings&) {
    return Bytes("FORMFEED\r\n");
}
std::vector<uint8_t> IdentifyEscPos(const IdentifySettings&) {
    return Bytes("\x1b\x64\x03");
}
std::vector<uint8_t> IdentifyCpcl(const IdentifySettings&) {
    return Bytes("! 0 200 200 8 1\r\nFORM\r\nPRINT\r\n");
}
std::vector<uint8_t> IdentifyPeriPage(const IdentifySettings&) {
    return Bytes(std::string_view("\x10\xff\xfe\x01\x1b\x4a\x50\x10\xff\xfe\x45", 11));
}
std::vector<uint8_t> IdentifyZpl(const IdentifySettings&) {
    return Bytes("~PH\r\n");
}
std::vector<uint8_t> IdentifyEpl(const IdentifySettings&) {
    return Bytes("\nN\nP1\n");
}
std::vector<uint8_t> IdentifyDymo(const IdentifySettings&) {
    return Bytes("\x1b\x40\x1b\x45");
}

// A framed, checksummed feed packet; the value is the printer's feed amount
// (rows of dots).
std::vector<uint8_t> IdentifyPaperang(const IdentifySettings& settings) {
    CPrinterPaperang encoder(settings.paperangSeed.value_or(CPrinterPaperang::kDefaultCrcSeed));
    encoder.cmdFeed(80);
    const uint8_t* data = encoder.pageBuffer.GetBuffer();
    return {data, data + encoder.pageBuffer.GetBufferLength()};
}

std::vector<uint8_t> IdentifyBytes(int modelNumber, const IdentifySettings& settings) {
    const Language* language = LanguageOfModel(modelNumber);
    return language && language->identify ? language->identify(settings) : std::vector<uint8_t>{};
}
