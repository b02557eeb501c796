#include "app/ipp/SpoolCleanup.h"

#include <cctype>
#include <filesystem>
#include <set>
#include <string_view>
#include <utility>

namespace {
// A printer's files have job 0.
using Owner = std::pair<int, int>;

// The printer and job a spool file name belongs to, or nothing for a name
// that is not PAPPL's.
bool ParseOwner(std::string_view name, Owner& owner) {
    auto number = [&name](int& value) {
        size_t digits = 0;
        value = 0;
        while (digits < name.size() && digits < 9 && std::isdigit((unsigned char)name[digits]))
            value = value * 10 + (name[digits++] - '0');
        name.remove_prefix(digits);
        return digits >= 5;
    };
    owner = {0, 0};
    if (name.empty() || name[0] != 'p') return false;
    name.remove_prefix(1);
    if (!number(owner.first)) return false;
    if (!name.empty() && name[0] == 'j') {
        name.remove_prefix(1);
        if (!number(owner.second)) return false;
    }
    return !name.empty() && name[0] == '-';
}

void AddJob(pappl_job_t* job, void* data) {
    auto* owners = static_cast<std::set<Owner>*>(data);
    owners->insert({papplPrinterGetID(papplJobGetPrinter(job)), papplJobGetID(job)});
}

void AddPrinter(pappl_printer_t* printer, void* data) {
    static_cast<std::set<Owner>*>(data)->insert({papplPrinterGetID(printer), 0});
    papplPrinterIterateAllJobs(printer, AddJob, data, 1, 0);
}
}  // namespace

void RemoveOrphanSpoolFiles(pappl_system_t* system, const std::string& folder) {
    std::set<Owner> owners;
    papplSystemIteratePrinters(system, AddPrinter, &owners);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        Owner owner;
        if (!entry.is_regular_file(error) || !ParseOwner(entry.path().filename().string(), owner) ||
            owners.count(owner))
            continue;
        if (std::filesystem::remove(entry.path(), error))
            papplLog(system, PAPPL_LOGLEVEL_INFO, "Removed \"%s\" from the spool: no job has it.",
                     entry.path().c_str());
        else
            papplLog(system, PAPPL_LOGLEVEL_ERROR, "Unable to remove \"%s\" from the spool: %s",
                     entry.path().c_str(), error.message().c_str());
    }
}
