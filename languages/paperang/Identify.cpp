#include "languages/paperang/Encoder.h"
#include "languages/paperang/Row.h"

// A framed, checksummed feed packet; the value is the printer's feed amount
// (rows of dots).
std::vector<uint8_t> IdentifyPaperang(const IdentifySettings& settings) {
    CPrinterPaperang encoder(settings.paperangSeed.value_or(CPrinterPaperang::kDefaultCrcSeed));
    encoder.cmdFeed(80);
    const uint8_t* data = encoder.pageBuffer.GetBuffer();
    return {data, data + encoder.pageBuffer.GetBufferLength()};
}
