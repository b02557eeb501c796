#pragma once

#include <span>
#include <string>
#include <string_view>

enum class FlowControl { None, RtsCts, XonXoff };

// Where and how a serial printer is reached: serial:/dev/rfcomm0?baud=115200
// (serial:///dev/... too), with an optional &flow=none|rtscts|xonxoff.
struct SerialSettings {
    std::string path;
    int baud = 115200;
    FlowControl flow = FlowControl::None;
};

// The line speeds a serial URI may ask for.
std::span<const int> SerialSpeeds();

// Reads a serial device URI. False, with a message that names the fault,
// when the URI is not one the application can open.
bool ParseSerialUri(std::string_view uri, SerialSettings& settings, std::string& error);
