#include "app/web/WebLabels.h"

#include <mutex>

#include "app/drivers/MediaLabels.h"
#include "app/ipp/PaperangSeed.h"
#include "app/ipp/VendorOptions.h"

namespace {
// The languages of PAPPL 1.3.1's own strings.
constexpr const char* kLanguages[] = {"de", "en", "es", "fr", "it", "ja", "nb-NO", "pl", "tr"};

std::string Quoted(const char* text) {
    std::string quoted = "\"";
    for (const char* p = text; *p; p++) {
        if (*p == '"' || *p == '\\') quoted += '\\';
        quoted += *p;
    }
    return quoted + "\"";
}

void AddPair(std::string& strings, const std::string& key, const char* label) {
    strings += Quoted(key.c_str()) + " = " + Quoted(label) + ";\n";
}
}  // namespace

std::string WebLabelStrings() {
    std::string strings;
    for (const VendorOption& v : VendorOptions()) {
        AddPair(strings, v.name, v.label);
        for (const VendorKeyword& k : v.keywords)
            AddPair(strings, std::string(v.name) + "." + k.keyword, k.label);
    }
    AddPair(strings, kPaperangSeedOption, kPaperangSeedLabel);
    for (const MediaLabel& m : MediaLabels())
        AddPair(strings, std::string("media.") + m.name, m.label);
    return strings;
}

// PAPPL merges a strings resource into its localization of that language,
// which its web pages use, so the labels are added as resources and then
// removed again: PAPPL 1.3.1 answers every Get-Printer-Attributes while a
// resource has a language by appending printer-strings-languages-supported
// to the printer's stored attributes, so from the third request on that
// attribute comes more than once (and the stored attributes keep growing).
// Clients therefore get no printer-strings-uri.
//
// PAPPL's printer attributes walk the resources without a lock: this runs
// with the first printer, before any printer can be asked for them.
void AddWebLabels(pappl_system_t* system) {
    static const std::string strings = WebLabelStrings();
    static std::once_flag once;
    std::call_once(once, [system] {
        for (const char* language : kLanguages) {
            const std::string path = std::string("/thermal-printer-app-") + language + ".strings";
            papplSystemAddStringsData(system, path.c_str(), language, strings.c_str());
            papplSystemRemoveResource(system, path.c_str());
        }
    });
}
