#include "tools/preview/TextCommands.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {
constexpr size_t kMaxLine = 4096;
}

size_t SkipBlank(const CDecodeContext& ctx, size_t pos) {
    const uint8_t* d = ctx.Data();
    while (pos < ctx.Size() &&
           (d[pos] == '\r' || d[pos] == '\n' || d[pos] == ' ' || d[pos] == '\t'))
        pos++;
    return pos;
}

bool StartsWith(const CDecodeContext& ctx, size_t pos, const char* text) {
    size_t n = std::strlen(text);
    return ctx.Left(pos) >= n && std::memcmp(ctx.Data() + pos, text, n) == 0;
}

bool ReadLine(CDecodeContext& ctx, size_t& pos, std::string& line) {
    const uint8_t* d = ctx.Data();
    size_t end = pos;
    size_t limit = pos + std::min(ctx.Left(pos), kMaxLine);
    while (end < limit && d[end] != '\n') end++;
    if (end >= limit) {
        const char* why = end >= ctx.Size() ? "stream ends inside a command line"
                                            : "command line longer than 4096 bytes";
        return ctx.Fail(pos, std::string("expected a command line ended by CR LF: ") + why);
    }
    size_t stop = end > pos && d[end - 1] == '\r' ? end - 1 : end;
    line.assign(reinterpret_cast<const char*>(d + pos), stop - pos);
    pos = end + 1;
    return true;
}

bool ExpectLineEnd(CDecodeContext& ctx, size_t& pos, const char* after) {
    if (StartsWith(ctx, pos, "\r\n")) {
        pos += 2;
        return true;
    }
    if (StartsWith(ctx, pos, "\n")) {
        pos += 1;
        return true;
    }
    return ctx.Fail(pos, std::string("expected CR LF after ") + after);
}

bool ReadNumber(CDecodeContext& ctx, size_t& pos, int64_t& value, const char* what) {
    const uint8_t* d = ctx.Data();
    size_t p = pos;
    bool negative = p < ctx.Size() && d[p] == '-';
    if (negative) p++;
    int64_t v = 0;
    size_t digits = 0;
    while (p < ctx.Size() && std::isdigit(d[p]) && digits < 10) {
        v = v * 10 + (d[p] - '0');
        p++;
        digits++;
    }
    if (digits == 0 || digits > 9)
        return ctx.Fail(pos, std::string("expected a number (at most nine digits) for ") + what);
    value = negative ? -v : v;
    pos = p;
    return true;
}

bool ExpectChar(CDecodeContext& ctx, size_t& pos, char c, const char* what) {
    if (pos < ctx.Size() && ctx.Data()[pos] == static_cast<uint8_t>(c)) {
        pos++;
        return true;
    }
    return ctx.Fail(pos, std::string("expected '") + c + "' " + what);
}

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') i++;
        size_t start = i;
        while (i < line.size() && line[i] != ' ') i++;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool WordNumber(const std::string& word, int64_t& value) {
    size_t i = word.size() > 0 && word[0] == '-' ? 1 : 0;
    if (word.size() <= i || word.size() - i > 9) return false;
    int64_t v = 0;
    for (size_t k = i; k < word.size(); k++) {
        if (!std::isdigit(static_cast<unsigned char>(word[k]))) return false;
        v = v * 10 + (word[k] - '0');
    }
    value = i ? -v : v;
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
