#include "app/ipp/JobAttributeNames.h"

#include <algorithm>
#include <iterator>

#include "app/ipp/PaperangSeed.h"
#include "app/ipp/SettingValues.h"

namespace {
// What PAPPL 1.3.1 reads from a job (its job-creation-attributes-supported
// and the options it prints with).
constexpr std::string_view kPapplJobAttributes[] = {
    "copies",
    "document-format",
    "document-name",
    "finishings",
    "ipp-attribute-fidelity",
    "media",
    "media-col",
    "multiple-document-handling",
    "orientation-requested",
    "output-bin",
    "page-ranges",
    "print-color-mode",
    "print-content-optimize",
    "print-darkness",
    "print-quality",
    "print-scaling",
    "print-speed",
    "printer-resolution",
    "sides",
};
}  // namespace

bool KnownJobAttribute(std::string_view name) {
    // job-name, job-priority, job-hold-until, job-uuid and the like
    // describe the job; PAPPL keeps them.
    if (name.starts_with("job-")) return true;
    if (name == kPaperangSeedOption || FindVendorOption(name)) return true;
    return std::find(std::begin(kPapplJobAttributes), std::end(kPapplJobAttributes), name) !=
           std::end(kPapplJobAttributes);
}
