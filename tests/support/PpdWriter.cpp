#include "support/PpdWriter.h"

#include "support/TempDir.h"

std::string WritePpd(int modelNumber, const std::vector<PpdOption>& options, bool withModelName,
                     const std::string& extraLines) {
    std::string text =
        "*PPD-Adobe: \"4.3\"\n"
        "*FormatVersion: \"4.3\"\n"
        "*FileVersion: \"1.0\"\n"
        "*LanguageVersion: English\n"
        "*LanguageEncoding: ISOLatin1\n"
        "*PCFileName: \"TEST.PPD\"\n"
        "*Manufacturer: \"Test\"\n"
        "*Product: \"(Test Printer)\"\n";
    if (withModelName) text += "*ModelName: \"Test Printer\"\n";
    text +=
        "*ShortNickName: \"Test Printer\"\n"
        "*NickName: \"Test Printer\"\n"
        "*PSVersion: \"(3010.000) 0\"\n"
        "*cupsVersion: 2.4\n"
        "*cupsModelNumber: " +
        std::to_string(modelNumber) +
        "\n"
        "*cupsFilter: \"application/vnd.cups-raster 0 rastertothermal\"\n";
    text += extraLines;
    for (const PpdOption& o : options) {
        const std::string& def =
            o.defaultChoice.empty() && !o.choices.empty() ? o.choices[0] : o.defaultChoice;
        text += "*OpenUI *" + o.keyword + "/" + o.keyword + ": PickOne\n";
        text += "*Default" + o.keyword + ": " + def + "\n";
        for (const std::string& c : o.choices)
            text += "*" + o.keyword + " " + c + "/" + c + ": \"\"\n";
        text += "*CloseUI: *" + o.keyword + "\n";
    }
    std::string path = TempDir::Shared().NewPath("test") + ".ppd";
    WriteFileText(path, text);
    return path;
}
