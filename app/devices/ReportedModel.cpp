#include "app/devices/ReportedModel.h"

#include <algorithm>
#include <vector>

#include "app/devices/StatusLink.h"
#include "app/drivers/DriverCatalog.h"
#include "printers/StatusExchange.h"

namespace {
// "NIIMBOT D110_M" and "NIIMBOT B1 Pro" are of the models "NIIMBOT D110" and
// "NIIMBOT B1"; "NIIMBOT B18" is not of "NIIMBOT B1".
bool OfModel(const std::string& reported, std::string_view model) {
    if (!reported.starts_with(model)) return false;
    return reported.size() == model.size() ||
           std::string_view(" _-").find(reported[model.size()]) != std::string_view::npos;
}
}  // namespace

std::string ReportedModel(pappl_job_t* job, CStatusLink& link, const DriverInfo& driver) {
    const ModelExchange* exchange = link.ModelQuery();
    if (!exchange || !link.Send(exchange->query)) return std::string();
    std::vector<uint8_t> reply;
    link.Gather(reply, CStatusLink::ReplyMs(papplPrinterGetDeviceURI(papplJobGetPrinter(job))),
                exchange->complete);
    const std::string model = exchange->complete(reply) ? exchange->model(reply) : std::string();
    if (model.empty()) {
        papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "The printer did not tell its model.");
        return model;
    }
    if (std::ranges::none_of(driver.models, [&](const char* m) { return OfModel(model, m); })) {
        papplLogJob(job, PAPPL_LOGLEVEL_WARN,
                    "The printer says it is a %s, which is not a model of its driver (%s); it "
                    "prints as the driver's.",
                    model.c_str(), driver.makeAndModel);
        return std::string();
    }
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "The printer says it is a %s.", model.c_str());
    return model;
}
