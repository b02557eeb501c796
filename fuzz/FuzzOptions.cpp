// The option binding with arbitrary choice names. The first input byte picks
// the printer model; the rest is split at newlines into at most eighteen
// texts, one for each option the binding reads, in its order. Each text,
// cut to what a PPD choice name can be (printable, no blank, '/', ':' or '"', at
// most 40 characters), becomes that option's only choice; an empty text
// leaves the option out of the PPD. The raw texts also go through the number
// reading as they are, and all the bytes after the first through the model's
// status reply parser (ZPL's reads text).
#include <cstdlib>
#include <cstring>
#include <string>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>

#include "filter/CupsRender.h"
#include "filter/RenderFactory.h"
#include "fuzz/FuzzSupport.h"
#include "printers/Languages.h"
#include "printers/StatusExchange.h"
#include "render/BaseRender.h"
#include "render/OptionValue.h"

namespace {
MemoryFile* g_ppdFile = nullptr;

std::string ChoiceName(const std::string& raw) {
    std::string name;
    for (char c : raw) {
        if (c > ' ' && c < 127 && c != '/' && c != ':' && c != '"') name += c;
        if (name.size() == 40) break;
    }
    return name;
}

// The choices that libcups marked, by option, "" where none is.
std::vector<std::string> MarkedChoices(ppd_file_t* ppd) {
    std::vector<std::string> marked;
    for (const std::string& keyword : BindingKeywords()) {
        ppd_choice_t* c = ppdFindMarkedChoice(ppd, keyword.c_str());
        marked.push_back(c ? c->choice : "");
    }
    return marked;
}

// What the binding must make of the marked choices, whatever they are.
void CheckSettings(const CBaseRender& r, const std::vector<std::string>& marked) {
    if (r.reg.iPrinttype != 0 && r.reg.iPrinttype != 1) std::abort();
    if ((marked[0] == "Normal" || marked[0] == "Direct") && r.reg.iPrinttype != 0) std::abort();
    if (r.reg.iDottedline > 1 || r.halftone.ImageCompress > 1) std::abort();
    if ((marked[6].empty() || marked[6] == "Default") && r.reg.iDensity != -1) std::abort();
    if ((marked[7].empty() || marked[7] == "Default") && r.reg.iSpeed != -1) std::abort();
    if (r.halftone.iLiangdu != ChoiceToInt(marked[9].c_str())) std::abort();
    if (!marked[1].empty() &&
        r.reg.iReference[0] != TimesEightWrapped(ChoiceToInt(marked[1].c_str())))
        std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    AddDefaultFlags(argc, argv, {"-close_fd_mask=3"});
    g_ppdFile = new MemoryFile("fuzz-ppd");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int model = Languages()[data[0] % Languages().size()].modelNumber;
    if (const StatusExchange* status = StatusExchangeFor(model)) {
        const std::span<const uint8_t> reply(data + 1, size - 1);
        status->complete(reply);
        if (status->answers) status->answers(reply);
        if (status->parse(reply).Message().empty()) std::abort();
    }
    std::vector<std::string> raw(1);
    for (size_t i = 1; i < size && raw.size() <= BindingKeywords().size(); i++) {
        if (data[i] == '\n')
            raw.emplace_back();
        else
            raw.back() += static_cast<char>(data[i]);
    }
    std::vector<FuzzOption> options;
    for (size_t i = 0; i < BindingKeywords().size(); i++) {
        const std::string text = i < raw.size() ? raw[i] : std::string();
        TimesEightWrapped(ChoiceToInt(text.c_str()));
        std::string name = ChoiceName(text);
        options.push_back({BindingKeywords()[i], {}});
        if (!name.empty()) options.back().choices.push_back(name);
    }
    std::string ppdText = PpdText(model, options);
    if (!g_ppdFile->Store(ppdText.data(), ppdText.size())) std::abort();
    ppd_file_t* ppd = ppdOpenFile(g_ppdFile->Path().c_str());
    if (!ppd) return 0;  // a choice name that libcups refuses
    ppdMarkDefaults(ppd);

    CBaseRender* render = CreateRender(model);
    dynamic_cast<CCupsBinding&>(*render).ppd = ppd;
    render->GetPrinterParameters();
    CheckSettings(*render, MarkedChoices(ppd));
    render->Release();
    ppdClose(ppd);
    return 0;
}
#pragma GCC diagnostic pop
