#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a Bluetooth LE printer offers: its GATT characteristics as BlueZ
// lists them, and which of them a job's bytes go to and answers come from.

struct BleCharacteristic {
    std::string path;                // BlueZ object path
    std::string service;             // UUID of the service it belongs to, lower case
    std::string uuid;                // lower case, 128-bit form
    std::vector<std::string> flags;  // "write-without-response", "notify", ...
    int mtu = 0;                     // BlueZ's MTU property; 0 when unknown
};

// How bytes must be cut into writes for the printer family.
enum class BleFraming {
    Plain,     // any cut
    Paperang,  // a write holds whole packets where they fit
    Cat,       // any cut; the printer says stop/go (AE packets) on notify
    Niimbot,   // a packet per write, row packets paced
};

struct BleChannel {
    const BleCharacteristic* write = nullptr;
    const BleCharacteristic* notify = nullptr;  // null: the printer has none
    BleFraming framing = BleFraming::Plain;
    bool withResponse = false;  // only "write" is offered, not write-without-response
    // The service's other notifying characteristics, heard as well when the
    // printer's answers may come on any of them.
    std::vector<const BleCharacteristic*> alsoNotify;
};

// The 128-bit lower-case form of a UUID; short forms ("ae30", "0000ae30")
// are expanded on the Bluetooth base UUID.
std::string FullUuid(std::string_view uuid);

// The write and notify characteristics: a known service's pair first, else
// the first writable characteristic with a notifying one of its service.
// With everyNotify, the service's other notifying characteristics too.
std::optional<BleChannel> ChooseChannel(const std::vector<BleCharacteristic>& characteristics,
                                        bool everyNotify = false);

// The driver suggested for an advertised name and service UUIDs, or null
// when nothing says it is a printer we speak to.
const char* SuggestBleDriver(std::string_view name, const std::vector<std::string>& uuids);

// Device URIs name the printer by its address with dashes,
// ble://AA-BB-CC-DD-EE-FF: URI parsers read colons after a host name as a
// port number.
std::string BleUriOf(std::string_view address);
// "AA:BB:CC:DD:EE:FF" (upper case) from a ble:// URI (dashes or colons), or
// empty when the URI is not one.
std::string BleAddressOf(std::string_view uri);
