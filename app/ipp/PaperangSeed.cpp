#include "app/ipp/PaperangSeed.h"

#include <cstdio>
#include <string>

#include "languages/paperang/Encoder.h"

void AddPaperangSeedOption(pappl_pr_driver_data_t& d, ipp_t* attributes) {
    d.vendor[d.num_vendor++] = kPaperangSeedOption;
    const std::string name = std::string(kPaperangSeedOption) + "-default";
    if (ippFindAttribute(attributes, name.c_str(), IPP_TAG_ZERO)) return;
    char seed[16];
    std::snprintf(seed, sizeof seed, "0x%08X", CPrinterPaperang::kDefaultCrcSeed);
    ippAddString(attributes, IPP_TAG_PRINTER, IPP_TAG_TEXT, name.c_str(), nullptr, seed);
}

void ApplyPaperangSeed(pappl_job_t* job, CBaseRender& render) {
    auto* paperang = dynamic_cast<CPrinterPaperang*>(&render);
    if (!paperang) return;
    ipp_t* defaults = papplPrinterGetDriverAttributes(papplJobGetPrinter(job));
    const std::string name = std::string(kPaperangSeedOption) + "-default";
    const char* text =
        ippGetString(ippFindAttribute(defaults, name.c_str(), IPP_TAG_ZERO), 0, nullptr);
    uint32_t seed = CPrinterPaperang::kDefaultCrcSeed;
    if (text && !CPrinterPaperang::ParseSeed(text, seed))
        papplLogJob(job, PAPPL_LOGLEVEL_WARN, "Ignoring %s=\"%s\": not a seed, using 0x%08X.",
                    kPaperangSeedOption, text, CPrinterPaperang::kDefaultCrcSeed);
    paperang->SetCrcSeed(seed);
    ippDelete(defaults);
}

uint32_t PrinterPaperangSeed(pappl_printer_t* printer) {
    ipp_t* defaults = papplPrinterGetDriverAttributes(printer);
    const std::string name = std::string(kPaperangSeedOption) + "-default";
    const char* text =
        ippGetString(ippFindAttribute(defaults, name.c_str(), IPP_TAG_ZERO), 0, nullptr);
    uint32_t seed = CPrinterPaperang::kDefaultCrcSeed;
    if (text && !CPrinterPaperang::ParseSeed(text, seed)) seed = CPrinterPaperang::kDefaultCrcSeed;
    ippDelete(defaults);
    return seed;
}
