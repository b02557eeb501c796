// thermal-preview: decodes a printer stream and writes what the printer
// would print, one PNG per page, with a short summary on standard output.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/preview/PngWriter.h"
#include "tools/preview/StreamDecoder.h"
#include "tools/preview/Summary.h"

namespace {

std::string Usage() {
    return "usage: thermal-preview [--language " + DecodableLanguageNames() +
           "]\n"
           "                       [--seed 0xHEX] [--strict] [-o PREFIX] [FILE|-]\n"
           "Decodes a printer stream (FILE or standard input) and writes PREFIX-<n>.png\n"
           "per page (default prefix: FILE without its extension, or \"preview\").\n"
           "--strict makes a Paperang or Z64 checksum mismatch an error and notes a\n"
           "TSPL BITMAP without CR LF after its data as a warning.\n";
}

struct tagArguments {
    tagDecodeOptions options;
    std::string input;  // empty or "-": standard input
    std::string prefix;
};

bool ParseSeed(const char* text, uint32_t& seed) {
    char* end = nullptr;
    unsigned long long v = std::strtoull(text, &end, 0);
    if (!*text || *end || v > 0xFFFFFFFFull) return false;
    seed = static_cast<uint32_t>(v);
    return true;
}

// Returns 0 to go on, else the exit status (usage or help).
int ParseArguments(int argc, char** argv, tagArguments& args) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "-h" || a == "--help") {
            std::fputs(Usage().c_str(), stdout);
            return -1;
        } else if (a == "--strict") {
            args.options.strict = true;
        } else if (a == "--language" && hasValue) {
            args.options.language = ParseLanguage(argv[++i]);
            if (args.options.language == PreviewLanguage::Unknown) {
                std::fprintf(stderr, "thermal-preview: unknown language \"%s\"\n", argv[i]);
                return 2;
            }
        } else if (a == "--seed" && hasValue) {
            if (!ParseSeed(argv[++i], args.options.paperangSeed)) {
                std::fprintf(stderr, "thermal-preview: bad seed \"%s\"\n", argv[i]);
                return 2;
            }
        } else if (a == "-o" && hasValue) {
            args.prefix = argv[++i];
        } else if ((a.empty() || a[0] != '-' || a == "-") && args.input.empty()) {
            args.input = a;
        } else {
            std::fputs(Usage().c_str(), stderr);
            return 2;
        }
    }
    return 0;
}

std::string DefaultPrefix(const std::string& input) {
    if (input.empty() || input == "-") return "preview";
    size_t slash = input.find_last_of('/');
    size_t dot = input.find_last_of('.');
    bool hasExtension =
        dot != std::string::npos && dot > (slash == std::string::npos ? 0 : slash + 1);
    return hasExtension ? input.substr(0, dot) : input;
}

bool ReadInput(const std::string& input, std::vector<uint8_t>& bytes) {
    if (input.empty() || input == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), {});
        return !std::cin.bad();
    }
    std::ifstream in(input, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    tagArguments args;
    int status = ParseArguments(argc, argv, args);
    if (status != 0) return status < 0 ? 0 : status;
    std::string name = args.input.empty() || args.input == "-" ? "<stdin>" : args.input;
    std::vector<uint8_t> bytes;
    if (!ReadInput(args.input, bytes)) {
        std::fprintf(stderr, "thermal-preview: %s: %s\n", name.c_str(), std::strerror(errno));
        return 1;
    }
    tagDecodeResult result = DecodeStream(bytes.data(), bytes.size(), args.options);
    std::string prefix = args.prefix.empty() ? DefaultPrefix(args.input) : args.prefix;
    std::vector<std::string> images(result.pages.size());
    bool writeFailed = false;
    for (size_t i = 0; i < result.pages.size(); i++) {
        if (!result.pages[i].HasBitmap()) continue;
        std::string path = prefix + "-" + std::to_string(i + 1) + ".png";
        std::string error;
        if (WritePagePng(path, result.pages[i], error)) {
            images[i] = path;
        } else {
            std::fprintf(stderr, "thermal-preview: cannot write %s\n", error.c_str());
            writeFailed = true;
        }
    }
    std::fputs(FormatSummary(result, images).c_str(), stdout);
    if (result.error.failed)
        std::fprintf(stderr, "thermal-preview: %s: byte %zu: %s\n", name.c_str(),
                     result.error.offset, result.error.message.c_str());
    return result.error.failed || writeFailed ? 1 : 0;
}
