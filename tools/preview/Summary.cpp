#include "tools/preview/Summary.h"

std::string FormatSummary(const tagDecodeResult& result,
                          const std::vector<std::string>& imageNames) {
    std::string text = std::string("language: ") + LanguageName(result.language) + "\n";
    text += "pages: " + std::to_string(result.pages.size()) + "\n";
    for (const tagSetting& s : result.settings) text += s.key + ": " + s.value + "\n";
    for (size_t i = 0; i < result.pages.size(); i++) {
        const tagDecodedPage& page = result.pages[i];
        text += "page " + std::to_string(i + 1) + ": ";
        if (page.HasBitmap())
            text += std::to_string(page.width) + " x " + std::to_string(page.height) + " dots";
        else
            text += "no bitmap";
        if (!page.complete) text += " (incomplete: the stream is faulty here)";
        text += "\n";
        if (i < imageNames.size() && !imageNames[i].empty())
            text += "  image: " + imageNames[i] + "\n";
        for (const tagSetting& s : page.settings) text += "  " + s.key + ": " + s.value + "\n";
    }
    return text;
}
