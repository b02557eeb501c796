#include "app/documents/RawLanguage.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "printers/Languages.h"

namespace {
// Lines looked at before a text language must have shown itself.
constexpr size_t kMaxLines = 64;

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view SkipBlank(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// The whole lines at the start of the text (a last line without its end may
// be cut short, so it is left out), without their CR LF or LF.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (lines.size() < kMaxLines) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos) break;
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool StartsWithNumber(std::string_view text, std::string_view command) {
    return text.starts_with(command) && text.size() > command.size() && Digit(text[command.size()]);
}

// TSPL: command lines in capitals, SIZE among them, up to the CLS that
// clears the image buffer before a label's content.
bool IsTspl(std::string_view text) {
    bool size = false;
    for (std::string_view line : Lines(SkipBlank(text))) {
        if (line == "CLS") return size;
        if (line.empty() || !std::isupper(static_cast<unsigned char>(line[0]))) return false;
        size |= StartsWithNumber(line, "SIZE ");
    }
    return false;
}

// ZPL: a label format starts with ^XA.
bool IsZpl(std::string_view text) {
    return SkipBlank(text).starts_with("^XA");
}

// EPL2: N clears the image buffer, then the label's width (q) or length (Q)
// comes among the next command lines.
bool IsEpl(std::string_view text) {
    const std::vector<std::string_view> lines = Lines(SkipBlank(text));
    if (lines.empty() || lines[0] != "N") return false;
    for (size_t i = 1; i < std::min<size_t>(lines.size(), 8); i++) {
        const std::string_view line = lines[i];
        if (StartsWithNumber(line, "q") || StartsWithNumber(line, "Q")) return true;
        if (line.empty() || !std::isalpha(static_cast<unsigned char>(line[0]))) return false;
    }
    return false;
}

// CPCL: a label starts with "! offset xdpi ydpi height quantity".
bool IsCpcl(std::string_view text) {
    text = SkipBlank(text);
    if (!text.starts_with("! ")) return false;
    text.remove_prefix(2);
    for (int field = 0; field < 5; field++) {
        const size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
        if (digits == 0) return false;
        text.remove_prefix(digits);
        const char next = text.empty() ? '\0' : text[0];
        if (field < 4 ? next != ' ' : next != '\r' && next != '\n') return false;
        if (field < 4) text.remove_prefix(1);
    }
    return true;
}

// What ESC/POS receipts send right after ESC @: alignment, print modes,
// character tables, line spacing, feeds, raster images, cuts, or text.
bool EscPosCommand(std::string_view text) {
    static constexpr std::string_view kCommands[] = {
        "\x1B\x61", "\x1B\x21", "\x1B\x45",     "\x1B\x4A", "\x1B\x64", "\x1B\x74", "\x1B\x32",
        "\x1B\x33", "\x1B\x4D", "\x1D\x76\x30", "\x1D\x21", "\x1D\x56", "\x1C\x2E"};
    for (std::string_view command : kCommands)
        if (text.starts_with(command)) return true;
    const unsigned char c = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
    return (c >= 0x20 && c < 0x7F) || c == '\n';
}

// ESC/POS: ESC @ (after any drawer pulses, ESC p m t1 t2) and then one of
// the receipt commands. Other languages start with ESC @ too (DYMO, Brother
// QL after its NULs), followed by their own commands.
bool IsEscPos(std::string_view text) {
    while (text.size() >= 5 && text.starts_with("\x1B\x70")) text.remove_prefix(5);
    if (!text.starts_with("\x1B\x40")) return false;
    text.remove_prefix(2);
    if (text.starts_with(std::string_view("\0", 1))) text.remove_prefix(1);
    return EscPosCommand(text);
}

struct Signature {
    const char* language;
    bool (*matches)(std::string_view);
};
constexpr Signature kSignatures[] = {
    {"tspl", IsTspl}, {"zpl", IsZpl}, {"epl", IsEpl}, {"cpcl", IsCpcl}, {"escpos", IsEscPos},
};
}  // namespace

const Language* RecogniseLanguage(const unsigned char* data, size_t size) {
    if (!data) return nullptr;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const Signature& s : kSignatures)
        if (s.matches(text)) return FindLanguage(s.language);
    return nullptr;
}

const char* RawFormatOfDocument(const unsigned char* header, size_t size, void*) {
    const Language* language = RecogniseLanguage(header, size);
    return language ? language->rawFormat : nullptr;
}
