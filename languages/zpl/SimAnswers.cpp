#include "tools/sim/LanguageAnswers.h"

namespace {
std::vector<tagQuery> Queries() {
    return {{{'~', 'H', 'S'}, "~HS"}};
}

// ~HS: three STX ... ETX CR LF lines. Line 1 field 2 is paper out, line 2
// field 3 head up; the other fields are those of an idle printer in
// tear-off mode.
std::string Reply(const tagQuery&, const tagPrinterStatus& s, std::string& shown) {
    const char* paper = s.paperOut ? "1" : "0";
    const char* head = s.coverOpen ? "1" : "0";
    shown = std::string("paper out ") + paper + ", head up " + head;
    return std::string(
               "\x02"
               "030,") +
           paper + ",0,1218,000,0,0,0,000,0,0,0\x03\r\n" +
           "\x02"
           "001,0," +
           head + ",0,0,2,6,0,00000000,1,000\x03\r\n" +
           "\x02"
           "1234,0\x03\r\n";
}
}  // namespace

// ZPL takes tilde commands wherever they come, and its graphics are hex or
// base64 text, which never holds a '~'.
const tagStatusAnswers kZplSimAnswers{PreviewLanguage::ZPL, Queries, Reply, true};
