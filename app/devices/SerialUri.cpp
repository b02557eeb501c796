#include "app/devices/SerialUri.h"

#include <algorithm>
#include <charconv>

namespace {
constexpr std::string_view kScheme = "serial:";
constexpr int kSpeeds[] = {1200,  2400,   4800,   9600,   19200, 38400,
                           57600, 115200, 230400, 460800, 921600};

std::string SpeedList() {
    std::string list;
    for (int s : kSpeeds) list += (list.empty() ? "" : ", ") + std::to_string(s);
    return list;
}

bool ValidPath(std::string_view path) {
    if (!path.starts_with("/dev/") || path.size() == 5 || path.ends_with("/")) return false;
    if (path.find("/../") != std::string_view::npos || path.ends_with("/..")) return false;
    return std::none_of(path.begin(), path.end(),
                        [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7f; });
}

bool ParseBaud(std::string_view value, int& baud) {
    int n = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (ec != std::errc() || end != value.data() + value.size()) return false;
    if (std::find(std::begin(kSpeeds), std::end(kSpeeds), n) == std::end(kSpeeds)) return false;
    baud = n;
    return true;
}

bool ParseFlow(std::string_view value, FlowControl& flow) {
    if (value == "none")
        flow = FlowControl::None;
    else if (value == "rtscts")
        flow = FlowControl::RtsCts;
    else if (value == "xonxoff")
        flow = FlowControl::XonXoff;
    else
        return false;
    return true;
}

// One name=value of the query; an empty string when it is fine.
std::string ParseOption(std::string_view option, SerialSettings& settings) {
    const size_t eq = option.find('=');
    const std::string_view name = option.substr(0, eq);
    const std::string_view value = eq == std::string_view::npos ? "" : option.substr(eq + 1);
    const std::string given(option);
    if (name == "baud")
        return ParseBaud(value, settings.baud)
                   ? ""
                   : given + " is not a supported speed (use one of " + SpeedList() + ")";
    if (name == "flow")
        return ParseFlow(value, settings.flow)
                   ? ""
                   : given + " is not a flow control (use flow=none, rtscts or xonxoff)";
    return given + " is not an option (use baud= and flow=)";
}

std::string ParseQuery(std::string_view query, SerialSettings& settings) {
    while (!query.empty()) {
        const size_t amp = query.find('&');
        std::string error = ParseOption(query.substr(0, amp), settings);
        if (!error.empty()) return error;
        query = amp == std::string_view::npos ? "" : query.substr(amp + 1);
    }
    return "";
}
}  // namespace

std::span<const int> SerialSpeeds() {
    return kSpeeds;
}

bool ParseSerialUri(std::string_view uri, SerialSettings& settings, std::string& error) {
    const std::string prefix = std::string(uri) + ": ";
    if (!uri.starts_with(kScheme)) {
        error = prefix + "not a serial: URI";
        return false;
    }
    std::string_view rest = uri.substr(kScheme.size());
    if (rest.starts_with("//")) rest.remove_prefix(2);  // serial:///dev/... has an empty host
    const size_t question = rest.find('?');
    const std::string_view path = rest.substr(0, question);
    SerialSettings parsed;
    parsed.path = std::string(path);
    if (!ValidPath(path)) {
        error = prefix + "the port must be a device path such as /dev/rfcomm0";
        return false;
    }
    const std::string fault =
        question == std::string_view::npos ? "" : ParseQuery(rest.substr(question + 1), parsed);
    if (!fault.empty()) {
        error = prefix + fault;
        return false;
    }
    settings = parsed;
    return true;
}
