// The language table against the PPDs, the encoders and the preview tool.

#include <gtest/gtest.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>

#include <filesystem>
#include <set>
#include <string>

#include "filter/RenderFactory.h"
#include "printers/Languages.h"
#include "render/BaseRender.h"
#include "tools/preview/StreamDecoder.h"

namespace {
// Options every PPD has that no language lists: the page and its raster.
const std::set<std::string> kStandardOptions = {"PageSize", "PageRegion", "Resolution",
                                                "ColorModel"};

// The table's options of the PPD's language against the PPD's own options.
void ExpectSameOptions(const std::string& path, const Language& language, ppd_file_t* ppd) {
    std::set<std::string> listed;
    for (const LanguageOption& o : language.options) {
        listed.insert(o.keyword);
        const ppd_option_t* option = ppdFindOption(ppd, o.keyword);
        ASSERT_NE(option, nullptr) << path << ": no " << o.keyword;
        EXPECT_STREQ(option->defchoice, o.choice) << path << ": " << o.keyword;
    }
    for (ppd_option_t* o = ppdFirstOption(ppd); o; o = ppdNextOption(ppd))
        EXPECT_TRUE(listed.count(o->keyword) || kStandardOptions.count(o->keyword))
            << path << ": " << o->keyword << " is not in the table";
}
}  // namespace

// Every compiled PPD is a row here: its model number has a row in the
// table, and the row lists exactly the PPD's options with its defaults.
TEST(Languages, PpdsAndTheTableAgree) {
    std::set<int> models;
    for (const auto& entry : std::filesystem::directory_iterator(PPD_DIR)) {
        const std::string path = entry.path().string();
        if (entry.path().extension() != ".ppd") continue;
        ppd_file_t* ppd = ppdOpenFile(path.c_str());
        ASSERT_NE(ppd, nullptr) << path;
        const Language* language = LanguageOfModel(ppd->model_number);
        EXPECT_NE(language, nullptr) << path << ": model " << ppd->model_number;
        if (language) ExpectSameOptions(path, *language, ppd);
        models.insert(ppd->model_number);
        ppdClose(ppd);
    }
    for (const Language& l : Languages()) EXPECT_TRUE(models.count(l.modelNumber)) << l.name;
}

// Every row has an encoder in the filter and a decoder in the preview tool,
// which knows it by the table's name and title; nothing else is a language.
TEST(Languages, EveryRowHasAnEncoderAndADecoder) {
    for (const Language& l : Languages()) {
        SCOPED_TRACE(l.name);
        CBaseRender* render = CreateRender(l.modelNumber);
        EXPECT_NE(render, nullptr);
        if (render) render->Release();
        const auto preview = static_cast<PreviewLanguage>(l.modelNumber);
        EXPECT_EQ(ParseLanguage(l.name), preview);
        EXPECT_EQ(ParseLanguage(l.title), preview);
        EXPECT_STREQ(LanguageName(preview), l.title);
        EXPECT_NE(DecodableLanguageNames().find(l.name), std::string::npos);
    }
    EXPECT_EQ(CreateRender(19), nullptr);
    EXPECT_EQ(ParseLanguage("pcl"), PreviewLanguage::Unknown);
}
#pragma GCC diagnostic pop
