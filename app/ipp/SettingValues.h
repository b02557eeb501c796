#pragma once

#include <pappl/pappl.h>

#include <string>
#include <string_view>

struct Language;
struct VendorOption;

// The vendor option that a name stands for: "thermal-dither", or
// "thermal-dither-default" when `suffix` is "-default"; null for others.
const VendorOption* FindVendorOption(std::string_view name, std::string_view suffix = "");

// Why the option does not take a value written as text (a command line or
// a web form), naming the option and what it takes (on printers of the
// language, when one is given); empty when it does.
std::string ValueError(const VendorOption& option, std::string_view value,
                       const Language* language = nullptr);

// The same for an IPP attribute: one value, an integer for a range, a
// keyword for a list.
std::string AttributeError(const VendorOption& option, ipp_attribute_t* attr,
                           const Language* language = nullptr);
