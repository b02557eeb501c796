#include "filter/MarkedOption.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>

#include "languages/paperang/Encoder.h"
#include "render/BaseRender.h"

namespace {
const char* Text(const char* s) {
    return s ? s : "(null)";
}
}  // namespace

std::string LookupMarkedOption(CBaseRender& render, ppd_file_t* ppd, const char* keyword) {
    ppd_choice_t* choice = ppd ? ppdFindMarkedChoice(ppd, keyword) : nullptr;
    if (!choice) {
        render.AddLog("GetMarkedOption: %s is error", keyword);
        return std::string();
    }
    const ppd_option_t* option = choice->option;
    render.AddLog(
        "%s: marked=%d, choice: %s, text: %s, code: %s, \t\t\tconflicted=%d, keyword: %s, "
        "defchoice: %s, option->text: %s, option->num_choices: %d",
        keyword, choice->marked, choice->choice, choice->text, Text(choice->code),
        option ? option->conflicted : 0, option ? option->keyword : "",
        option ? option->defchoice : "", option ? option->text : "",
        option ? option->num_choices : 0);
    return choice->choice;
}

void ReadPaperangSeed(CPrinterPaperang& r, ppd_file_t* ppd) {
    ppd_attr_t* attr = ppd ? ppdFindAttr(ppd, CPrinterPaperang::kSeedAttribute, nullptr) : nullptr;
    if (!attr) return;
    uint32_t seed = 0;
    if (!CPrinterPaperang::ParseSeed(attr->value, seed)) {
        r.AddLog("%s: invalid value \"%s\", keeping seed 0x%08X", CPrinterPaperang::kSeedAttribute,
                 attr->value ? attr->value : "", r.GetCrcSeed());
        return;
    }
    r.SetCrcSeed(seed);
    r.AddLog("%s = 0x%08X", CPrinterPaperang::kSeedAttribute, seed);
}
#pragma GCC diagnostic pop
