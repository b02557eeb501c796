#include "ble/BleServices.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr std::string_view kBaseSuffix = "-0000-1000-8000-00805f9b34fb";

constexpr const char* kNiimbotService = "e7810a71-73ae-499d-8c15-faa9aef0c3f2";
constexpr const char* kNiimbotCharacteristic = "bef8d6c9-9c21-4c9e-b632-bd58c1009f9f";

struct KnownPair {
    const char* service;
    const char* write;
    const char* notify;  // empty: any notifying characteristic of the service
    BleFraming framing;
};
// Service, write and notify characteristics of the printer families.
constexpr KnownPair kKnownPairs[] = {
    {"ae30", "ae01", "ae02", BleFraming::Cat},
    {"49535343-fe7d-4ae5-8fa9-9fafd205e455", "49535343-6daa-4d02-abf6-19569aca69fe", "",
     BleFraming::Paperang},
    {"49535343-fe7d-4ae5-8fa9-9fafd205e455", "49535343-8841-43f4-a8d4-ecbe34729bb3",
     "49535343-1e4d-4bd9-ba61-23c647249616", BleFraming::Plain},
    {"ff00", "ff02", "ff01", BleFraming::Plain},
    {"ff00", "ff02", "ff03", BleFraming::Plain},
    {"18f0", "2af1", "", BleFraming::Plain},
    // NIIMBOT: one characteristic takes the writes and notifies the answers.
    {kNiimbotService, kNiimbotCharacteristic, kNiimbotCharacteristic, BleFraming::Niimbot},
};

// Advertised names of cat printers (the MXW01 speaks another protocol).
constexpr std::string_view kCatNames[] = {"GB01", "GB02", "GB03", "GT01", "MX05", "MX06",
                                          "MX08", "MX09", "MX10", "MX11", "YT01"};

// NIIMBOT names start with the model: "D110_M-GC18062826", "B21-...".
bool NamesModel(std::string_view upper, std::string_view model) {
    if (!upper.starts_with(model)) return false;
    return upper.size() == model.size() || upper[model.size()] == '_' ||
           upper[model.size()] == '-' || upper[model.size()] == ' ';
}

// Phomemo names: "Mr.in_M02", or the model first ("M110-...").
struct PhomemoModel {
    std::string_view model;
    const char* driver;
};
constexpr PhomemoModel kPhomemoModels[] = {
    {"M02", "phomemo_m02"},   {"M02S", "phomemo_m02"},  {"T02", "phomemo_m02"},
    {"M110", "phomemo_m110"}, {"M120", "phomemo_m110"}, {"M220", "phomemo_m220"},
};

const char* PhomemoDriver(std::string_view upper) {
    constexpr std::string_view kPrefix = "MR.IN_";
    if (upper.starts_with(kPrefix)) upper.remove_prefix(kPrefix.size());
    for (const PhomemoModel& m : kPhomemoModels)
        if (NamesModel(upper, m.model)) return m.driver;
    return nullptr;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

bool Has(const BleCharacteristic& c, std::string_view flag) {
    return std::ranges::find(c.flags, flag) != c.flags.end();
}

bool Writable(const BleCharacteristic& c) {
    return Has(c, "write-without-response") || Has(c, "write");
}

bool Notifies(const BleCharacteristic& c) {
    return Has(c, "notify") || Has(c, "indicate");
}

const BleCharacteristic* Find(const std::vector<BleCharacteristic>& all, const std::string& service,
                              const std::string& uuid, bool (*usable)(const BleCharacteristic&)) {
    for (const BleCharacteristic& c : all)
        if (c.service == service && (uuid.empty() || c.uuid == uuid) && usable(c)) return &c;
    return nullptr;
}

BleChannel Channel(const std::vector<BleCharacteristic>& all, const BleCharacteristic* write,
                   const BleCharacteristic* notify, BleFraming framing, bool everyNotify) {
    BleChannel channel{write, notify, framing, !Has(*write, "write-without-response"), {}};
    if (everyNotify)
        for (const BleCharacteristic& c : all)
            if (c.service == write->service && &c != notify && Notifies(c))
                channel.alsoNotify.push_back(&c);
    return channel;
}
}  // namespace

std::string FullUuid(std::string_view uuid) {
    std::string u = Lower(uuid);
    if (u.size() == 4) return "0000" + u + std::string(kBaseSuffix);
    if (u.size() == 8) return u + std::string(kBaseSuffix);
    return u;
}

std::optional<BleChannel> ChooseChannel(const std::vector<BleCharacteristic>& characteristics,
                                        bool everyNotify) {
    for (const KnownPair& pair : kKnownPairs) {
        const std::string service = FullUuid(pair.service);
        const BleCharacteristic* write =
            Find(characteristics, service, FullUuid(pair.write), Writable);
        if (!write) continue;
        const std::string notifyUuid = *pair.notify ? FullUuid(pair.notify) : "";
        const BleCharacteristic* notify = Find(characteristics, service, notifyUuid, Notifies);
        if (*pair.notify && !notify) continue;  // the service's other pair may fit
        return Channel(characteristics, write, notify, pair.framing, everyNotify);
    }
    for (const BleCharacteristic& c : characteristics)
        if (Writable(c))
            return Channel(characteristics, &c, Find(characteristics, c.service, "", Notifies),
                           BleFraming::Plain, everyNotify);
    return std::nullopt;
}

const char* SuggestBleDriver(std::string_view name, const std::vector<std::string>& uuids) {
    const std::string upper = Upper(name);
    if (upper.starts_with("MXW01")) return nullptr;
    for (std::string_view cat : kCatNames)
        if (upper.starts_with(cat)) return "cat_203";
    if (upper.find("PAPERANG") != std::string::npos) return "paperang_203";
    if (NamesModel(upper, "D11") || NamesModel(upper, "D110")) return "niimbot_d11_203";
    if (NamesModel(upper, "B1") || NamesModel(upper, "B21")) return "niimbot_b21_203";
    if (const char* phomemo = PhomemoDriver(upper)) return phomemo;
    for (const std::string& uuid : uuids) {
        const std::string u = FullUuid(uuid);
        if (u == FullUuid("ae30")) return "cat_203";
        if (u == kNiimbotService) return "niimbot_b21_203";
        if (u == FullUuid("49535343-fe7d-4ae5-8fa9-9fafd205e455") || u == FullUuid("ff00") ||
            u == FullUuid("18f0"))
            return "escpos_58";
    }
    return nullptr;
}

std::string BleUriOf(std::string_view address) {
    std::string dashes(address);
    std::replace(dashes.begin(), dashes.end(), ':', '-');
    return "ble://" + dashes;
}

std::string BleAddressOf(std::string_view uri) {
    constexpr std::string_view kScheme = "ble://";
    if (!uri.starts_with(kScheme)) return "";
    uri.remove_prefix(kScheme.size());
    if (uri.ends_with('/')) uri.remove_suffix(1);
    if (uri.size() != 17) return "";
    for (size_t i = 0; i < uri.size(); ++i) {
        const bool separator = i % 3 == 2;
        if (separator ? uri[i] != '-' && uri[i] != ':'
                      : !std::isxdigit(static_cast<unsigned char>(uri[i])))
            return "";
    }
    std::string address = Upper(uri);
    std::replace(address.begin(), address.end(), '-', ':');
    return address;
}
