#include "app/ipp/SettingValues.h"

#include <charconv>

#include "app/ipp/VendorOptions.h"

namespace {
std::string Allowed(const VendorOption& option, const Language* language) {
    if (option.keywords.empty())
        return "a whole number from " + std::to_string(option.min) + " to " +
               std::to_string(option.max);
    std::string list;
    for (const VendorKeyword& k : option.keywords)
        if (TakesKeyword(k, language))
            list += (list.empty() ? "one of " : ", ") + std::string(k.keyword);
    return list;
}

std::string Refusal(const VendorOption& option, std::string_view value, const Language* language) {
    return std::string(option.name) + " takes " + Allowed(option, language) + ", not \"" +
           std::string(value) + "\".";
}

bool InRange(const VendorOption& option, std::string_view value) {
    int n = 0;
    const char* end = value.data() + value.size();
    auto [stop, error] = std::from_chars(value.data(), end, n);
    return !value.empty() && error == std::errc() && stop == end && n >= option.min &&
           n <= option.max;
}

bool Listed(const VendorOption& option, std::string_view value, const Language* language) {
    for (const VendorKeyword& k : option.keywords)
        if (value == k.keyword && TakesKeyword(k, language)) return true;
    return false;
}
}  // namespace

const VendorOption* FindVendorOption(std::string_view name, std::string_view suffix) {
    if (!name.ends_with(suffix)) return nullptr;
    name.remove_suffix(suffix.size());
    for (const VendorOption& option : VendorOptions())
        if (name == option.name) return &option;
    return nullptr;
}

std::string ValueError(const VendorOption& option, std::string_view value,
                       const Language* language) {
    const bool takes =
        option.keywords.empty() ? InRange(option, value) : Listed(option, value, language);
    return takes ? std::string() : Refusal(option, value, language);
}

std::string AttributeError(const VendorOption& option, ipp_attribute_t* attr,
                           const Language* language) {
    char text[256];
    ippAttributeString(attr, text, sizeof text);
    const ipp_tag_t tag = ippGetValueTag(attr);
    const bool typed = option.keywords.empty() ? tag == IPP_TAG_INTEGER
                                               : tag == IPP_TAG_KEYWORD || tag == IPP_TAG_NAME;
    if (ippGetCount(attr) != 1 || !typed) return Refusal(option, text, language);
    return ValueError(option, text, language);
}
