#include "app/ipp/SettingRanges.h"

#include <cstdio>
#include <optional>

namespace {
// A length in hundredths of a millimetre as people write it: "-3mm", "2.5mm".
std::string Millimetres(int hundredths) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", hundredths / 100.0);
    std::string mm = text;
    mm.erase(mm.find_last_not_of('0') + 1);
    if (mm.back() == '.') mm.pop_back();
    return (mm == "-0" ? "0" : mm) + "mm";
}

// A printer setting PAPPL stores without checking its range, under the name
// `options` shows; a length is told in millimetres.
struct SettingRange {
    const char* name;   // attribute, or member of media-col-default
    const char* shown;  // as `options` and the web pages name it
    int min, max;
    bool zero;    // 0 (the printer's own) taken too
    bool length;  // in hundredths of a millimetre
};

std::optional<SettingFault> RangeFault(ipp_attribute_t* attr, ipp_attribute_t* reported,
                                       const SettingRange& r) {
    const bool number = ippGetValueTag(attr) == IPP_TAG_INTEGER && ippGetCount(attr) == 1;
    const int value = ippGetInteger(attr, 0);
    if (number && ((value >= r.min && value <= r.max) || (r.zero && value == 0)))
        return std::nullopt;
    char text[256];
    ippAttributeString(attr, text, sizeof text);
    if (r.length)
        return SettingFault{
            reported, std::string(r.shown) + " takes " + Millimetres(r.min) + " to " +
                          Millimetres(r.max) + ", not " +
                          (number ? Millimetres(value) : "\"" + std::string(text) + "\"") + "."};
    return SettingFault{reported, std::string(r.shown) + " takes a whole number from " +
                                      std::to_string(r.min) + " to " + std::to_string(r.max) +
                                      ", not \"" + text + "\"."};
}

// The default medium's offsets, members of media-col-default.
void AddOffsetFaults(ipp_t* request, const pappl_pr_driver_data_t& d,
                     std::vector<SettingFault>& faults) {
    const SettingRange offsets[] = {
        {"media-left-offset", "media-left-offset", d.left_offset_supported[0],
         d.left_offset_supported[1], false, true},
        {"media-top-offset", "media-top-offset", d.top_offset_supported[0],
         d.top_offset_supported[1], false, true},
    };
    ipp_attribute_t* media =
        ippFindAttribute(request, "media-col-default", IPP_TAG_BEGIN_COLLECTION);
    for (const SettingRange& r : offsets)
        if (ipp_attribute_t* member =
                ippFindAttribute(ippGetCollection(media, 0), r.name, IPP_TAG_ZERO))
            if (auto fault = RangeFault(member, media, r)) faults.push_back(*fault);
}
}  // namespace

std::vector<SettingFault> OutOfRangeSettings(pappl_client_t* client) {
    std::vector<SettingFault> faults;
    pappl_printer_t* printer = papplClientGetPrinter(client);
    if (!printer) return faults;
    pappl_pr_driver_data_t d;
    papplPrinterGetDriverData(printer, &d);
    const SettingRange ranges[] = {
        {"printer-darkness-configured", "printer-darkness", 0, 100, false, false},
        {"print-darkness-default", "print-darkness", -100, 100, false, false},
        {"print-speed-default", "print-speed", d.speed_supported[0], d.speed_supported[1], true,
         false},
        {"label-tear-offset-configured", "label-tear-offset", d.tear_offset_supported[0],
         d.tear_offset_supported[1], false, true},
    };
    ipp_t* request = papplClientGetRequest(client);
    for (const SettingRange& r : ranges) {
        ipp_attribute_t* attr = ippFindAttribute(request, r.name, IPP_TAG_ZERO);
        if (!attr || ippGetGroupTag(attr) != IPP_TAG_PRINTER) continue;
        if (auto fault = RangeFault(attr, attr, r)) faults.push_back(*fault);
    }
    AddOffsetFaults(request, d, faults);
    return faults;
}
