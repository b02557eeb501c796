#include "tools/sim/StatusAnswers.h"

#include <cstdio>

#include "tools/sim/LanguageAnswers.h"

const tagStatusAnswers* StatusAnswersOf(PreviewLanguage language) {
    for (const tagStatusAnswers* answers : kLanguageAnswers)
        if (answers->language == language) return answers;
    return nullptr;
}

std::string StatusReply(PreviewLanguage language, const tagQuery& query,
                        const tagPrinterStatus& status, std::string& shown) {
    const tagStatusAnswers* answers = StatusAnswersOf(language);
    return answers ? answers->reply(query, status, shown) : std::string();
}

std::string HexByte(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

std::string ByteReply(uint8_t value, std::string& shown) {
    shown = HexByte(value);
    return std::string(1, static_cast<char>(value));
}
