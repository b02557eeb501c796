#include "app/ipp/JobChoices.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/drivers/DriverCatalog.h"
#include "app/ipp/VendorOptions.h"

namespace {
using Choices = std::map<std::string, std::string>;

int Hundredths(int value) {
    return static_cast<int>(std::lround(value / 100.0));
}

// printer-darkness-configured plus the job's print-darkness, as a level of
// the language's darkness setting. At the factory setting a language whose
// printers keep their own darkness gets none.
void SetDarkness(const Language& language, const pappl_pr_options_t& o, Choices& c) {
    if (language.darknessLevels == 0) return;
    if (PrinterSettingByDefault(language, "Darkness") && o.print_darkness == 0 &&
        o.darkness_configured == language.darknessConfigured)
        return;
    const int percent = std::clamp(o.darkness_configured + o.print_darkness, 0, 100);
    c["Darkness"] = std::to_string((percent * (language.darknessLevels - 1) + 50) / 100);
}

// print-speed in hundredths of millimetres per second, as the nearest speed
// in inches per second the printers take; 0 (the default of families whose
// printers keep their own speed) sends none.
void SetSpeed(const Language& language, const pappl_pr_options_t& o, Choices& c) {
    if (language.speeds.empty() || o.print_speed <= 0) return;
    const double ips = o.print_speed / 2540.0;
    const auto best =
        std::min_element(language.speeds.begin(), language.speeds.end(),
                         [&](int a, int b) { return std::fabs(a - ips) < std::fabs(b - ips); });
    c["zePrintRate"] = std::to_string(*best);
}

void SetTracking(const pappl_media_col_t& media, Choices& c) {
    if (!c.count("zeMediaTracking")) return;
    if (media.tracking == PAPPL_MEDIA_TRACKING_CONTINUOUS) c["zeMediaTracking"] = "Continuous";
    if (media.tracking == PAPPL_MEDIA_TRACKING_GAP || media.tracking == PAPPL_MEDIA_TRACKING_WEB)
        c["zeMediaTracking"] = "Gap";
    if (media.tracking == PAPPL_MEDIA_TRACKING_MARK) c["zeMediaTracking"] = "BLine";
    // Paper kinds that only the media type tells apart.
    if (!std::strcmp(media.type, "perforated")) c["zeMediaTracking"] = "Perforated";
    if (!std::strcmp(media.type, "recording")) c["zeMediaTracking"] = "Recording";
}

// Raster pages arrive as the client laid them out: orientation-requested
// turns the printed page. Other documents PAPPL has already turned.
void SetRotation(const Language& language, pappl_job_t* job, const pappl_pr_options_t& o,
                 Choices& c) {
    const char* format = papplJobGetFormat(job);
    if (!format || (std::strcmp(format, "image/pwg-raster") && std::strcmp(format, "image/urf")))
        return;
    switch (o.orientation_requested) {
        case IPP_ORIENT_REVERSE_PORTRAIT:
            c["Rotate"] = "1";
            break;
        case IPP_ORIENT_LANDSCAPE:
            if (language.quarterTurns) c["Rotate"] = "2";
            break;
        case IPP_ORIENT_REVERSE_LANDSCAPE:
            if (language.quarterTurns) c["Rotate"] = "3";
            break;
        default:
            break;
    }
}

// Offsets in hundredths of millimetres; the reference point moves in steps
// of 8 mm.
void SetOffsets(const Language& language, pappl_printer_t* printer, const pappl_media_col_t& media,
                Choices& c) {
    if (c.count("AdjustHoriaontal"))
        c["AdjustHoriaontal"] = std::to_string(std::clamp(Hundredths(media.left_offset) / 8, 0, 3));
    if (c.count("AdjustVertical"))
        c["AdjustVertical"] = std::to_string(std::clamp(Hundredths(media.top_offset) / 8, 0, 3));
    if (language.label && c.count("FeedOffset")) {
        pappl_pr_driver_data_t data;
        papplPrinterGetDriverData(printer, &data);
        c["FeedOffset"] = std::to_string(Hundredths(data.tear_offset_configured));
    }
}

// A vendor attribute's value: the job's, else the printer's default.
std::string VendorValue(const VendorOption& v, const pappl_pr_options_t& o, ipp_t* defaults) {
    if (const char* value = cupsGetOption(v.name, o.num_vendor, o.vendor)) return value;
    const std::string name = std::string(v.name) + "-default";
    ipp_attribute_t* attr = ippFindAttribute(defaults, name.c_str(), IPP_TAG_ZERO);
    if (!attr) return std::string();
    char text[256];
    ippAttributeString(attr, text, sizeof text);
    return text;
}

}  // namespace

std::string JobVendorValue(pappl_job_t* job, const pappl_pr_options_t& o, const char* name) {
    ipp_t* defaults = papplPrinterGetDriverAttributes(papplJobGetPrinter(job));
    for (const VendorOption& v : VendorOptions())
        if (!std::strcmp(v.name, name)) {
            std::string value = VendorValue(v, o, defaults);
            ippDelete(defaults);
            return value;
        }
    ippDelete(defaults);
    return std::string();
}

namespace {
void SetVendorOptions(const Language& language, pappl_job_t* job, const pappl_pr_options_t& o,
                      Choices& c) {
    ipp_t* defaults = papplPrinterGetDriverAttributes(papplJobGetPrinter(job));
    for (const VendorOption& v : VendorOptions()) {
        if (!AppliesTo(v, language)) continue;
        const std::string value = VendorValue(v, o, defaults);
        if (value.empty()) continue;
        const std::string choice = ChoiceForValue(v, value, &language);
        if (choice.empty())
            papplLogJob(job, PAPPL_LOGLEVEL_WARN, "Ignoring %s=%s: not a value of this printer.",
                        v.name, value.c_str());
        else
            c[v.ppdKeyword] = choice;
    }
    ippDelete(defaults);
}
}  // namespace

namespace {
// Whether the job asks for a dither of its own, or the printer's default
// is another than the language's.
bool DitherAskedFor(const Language& language, pappl_job_t* job, const pappl_pr_options_t& o) {
    if (cupsGetOption("thermal-dither", o.num_vendor, o.vendor)) return true;
    const char* factory = LanguageDefault(language, "ImageFilter");
    const std::string value = JobVendorValue(job, o, "thermal-dither");
    for (const VendorOption& v : VendorOptions())
        if (!std::strcmp(v.name, "thermal-dither"))
            return factory && !value.empty() && ChoiceForValue(v, value) != factory;
    return false;
}

// print-content-optimize decides how grays become dots (the core's
// ContentOptimize: 1 line art, 2 photo, 3 by each part of the page),
// unless a dither was asked for.
void SetContent(const Language& language, pappl_job_t* job, const pappl_pr_options_t& o,
                Choices& c) {
    if (DitherAskedFor(language, job, o)) return;
    switch (o.print_content_optimize) {
        case PAPPL_CONTENT_TEXT:
        case PAPPL_CONTENT_GRAPHIC:
        case PAPPL_CONTENT_TEXT_AND_GRAPHIC:
            c["ContentOptimize"] = "1";
            break;
        case PAPPL_CONTENT_PHOTO:
            c["ContentOptimize"] = "2";
            break;
        default:
            c["ContentOptimize"] = "3";
            break;
    }
}
}  // namespace

Choices JobChoices(const DriverInfo& driver, pappl_job_t* job, const pappl_pr_options_t& o) {
    const Language& language = *driver.language;
    Choices c;
    for (const LanguageOption& option : language.options) c[option.keyword] = option.choice;
    SetDarkness(language, o, c);
    SetSpeed(language, o, c);
    SetTracking(o.media, c);
    SetRotation(language, job, o, c);
    SetOffsets(language, papplJobGetPrinter(job), o.media, c);
    SetVendorOptions(language, job, o, c);
    SetContent(language, job, o, c);
    return c;
}
