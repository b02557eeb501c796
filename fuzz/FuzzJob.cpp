// A whole print job in one call: the first input byte picks the printer
// model (the language of the table at the byte mod its row count), the text after it up to the
// first NUL byte is the job's options (argv[5]), and the rest is the raster stream, which the
// filter reads as its file argument from a memory file. Printer output goes
// to /dev/null. The PPDs offer every option of the binding with numeric
// choices from the harmless to the extreme, so options such as
// "Darkness=2147483647 Rotate=2 CropEdgeTop=-1" reach the encoders.
// Inputs are kept to 4 KiB by default: longer ones mostly carry trailing
// bytes that libcups takes for a page header with a huge line length, and
// the buffers it reserves for that are slow under AddressSanitizer.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "filter/CupsInstance.h"
#include "filter/OutputWriter.h"
#include "fuzz/FuzzSupport.h"
#include "printers/Languages.h"

namespace {
const std::vector<std::string> kNumbers = {"0",   "1",    "-1",         "2",          "5",
                                           "100", "-100", "2147483647", "-2147483648"};

std::vector<std::string> With(std::vector<std::string> first,
                              const std::vector<std::string>& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

std::vector<FuzzOption> JobOptions() {
    const std::vector<std::string> levels = With({"0", "-20", "20", "-255", "255"}, kNumbers);
    const std::vector<std::string> crop = With({"0", "9999", "-5"}, kNumbers);
    return {
        {"MediaMethod", {"Direct", "Normal", "Transfer", "Ribbon"}},
        {"AdjustHoriaontal", With({"0", "268435456", "99999999999"}, kNumbers)},
        {"AdjustVertical", With({"0", "268435456", "-99999999999"}, kNumbers)},
        {"zeMediaTracking",
         {"Gap", "Continuous", "A4Stock", "BLine", "BLine_Fold", "Perforated", "Roll", "Recording",
          "Unknown"}},
        {"FeedOffset", With({"0", "1000", "-1000"}, kNumbers)},
        {"Rotate", {"0", "1", "2", "3", "4", "-1", "-2147483648"}},
        {"Darkness", With({"Default", "8", "15", "30"}, kNumbers)},
        {"zePrintRate", With({"Default", "4", "14"}, kNumbers)},
        {"AutoDotted", {"0", "1", "-1", "2"}},
        {"Brightness", levels},
        {"Contrast", levels},
        {"ImageFilter",
         With({"3", "4", "6", "7", "8", "9", "10", "11", "12", "13", "16", "17"}, kNumbers)},
        {"Threshold", With({"175", "127", "255", "256", "300"}, kNumbers)},
        {"ImageCompress", {"0", "1", "2", "-1"}},
        {"CropEdgeTop", crop},
        {"CropEdgeBottom", crop},
        {"CropEdgeLeft", crop},
        {"CropEdgeRight", crop},
        {"AutoCut", {"1", "0", "-1"}},
        {"CutEvery", With({"1", "255", "256", "0"}, kNumbers)},
        {"CutAtEnd", {"1", "0", "2"}},
    };
}

struct Setup {
    std::map<int, std::string> ppd;  // by model number, one per language
    MemoryFile raster{"fuzz-raster"};
};

Setup* g_setup = nullptr;

// Writes the PPDs once, into a folder removed at exit.
void WritePpds(Setup& s) {
    static std::string dir = "/tmp/thermal-fuzz-XXXXXX";
    if (!mkdtemp(dir.data())) std::abort();
    std::atexit([] {
        for (const auto& language : Languages())
            unlink((dir + "/" + std::to_string(language.modelNumber) + ".ppd").c_str());
        rmdir(dir.c_str());
    });
    for (const auto& language : Languages()) {
        const int m = language.modelNumber;
        s.ppd[m] = dir + "/" + std::to_string(m) + ".ppd";
        std::string text = PpdText(m, JobOptions());
        FILE* f = std::fopen(s.ppd[m].c_str(), "w");
        if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size()) std::abort();
        std::fclose(f);
    }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    AddDefaultFlags(argc, argv, {"-close_fd_mask=3", "-max_len=4096"});
    g_setup = new Setup;
    WritePpds(*g_setup);
    SetPrinterOutputFd(open("/dev/null", O_WRONLY));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int model = Languages()[data[0] % Languages().size()].modelNumber;
    const uint8_t* text = data + 1;
    const uint8_t* end = data + size;
    const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(text, 0, size - 1));
    std::string options(text, nul ? nul : end);
    const uint8_t* raster = nul ? nul + 1 : end;
    const size_t rasterSize = static_cast<size_t>(end - raster);
    if (!RasterWithinBudget(raster, rasterSize)) return -1;
    if (!g_setup->raster.Store(raster, rasterSize)) std::abort();

    setenv("PPD", g_setup->ppd.at(model).c_str(), 1);
    std::string path = g_setup->raster.Path();
    char name[] = "rastertothermal", job[] = "1", user[] = "fuzz", title[] = "job", copies[] = "1";
    char* argv[] = {name, job, user, title, copies, options.data(), path.data(), nullptr};
    CCupsInstance instance;
    instance.Run(7, argv);
    return 0;
}
