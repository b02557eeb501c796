#include "ble/BleLink.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kLookPollMs = 100;
// How long opening looks for a printer BlueZ has not seen lately.
constexpr auto kFindFor = std::chrono::seconds(5);
constexpr const char* kDevice = "org.bluez.Device1";
constexpr const char* kCharacteristic = "org.bluez.GattCharacteristic1";
constexpr const char* kAdapter = "org.bluez.Adapter1";

// Paperang packets: A5 01 LEN(2, little-endian) DATA CRC(4) 5A.
constexpr uint8_t kPaperangStart = 0xA5;
constexpr size_t kPaperangHeader = 4, kPaperangOverhead = 9;
// NIIMBOT packets: 55 55 CMD LEN DATA CHK AA AA. Row packets (83, 84, 85)
// get no answer, and the printer drops rows that come faster than about
// one per 10 ms: each goes in writes of its own, this long after the last.
constexpr uint8_t kNiimbotStart = 0x55;
constexpr size_t kNiimbotHeader = 4, kNiimbotOverhead = 7;
constexpr auto kNiimbotRowGap = std::chrono::milliseconds(10);

bool IsNiimbotRow(uint8_t command) {
    return command == 0x83 || command == 0x84 || command == 0x85;
}

// A cat printer's flow control: 51 78 AE 01 01 00 (10 stop | 00 go) CRC FF.
constexpr uint8_t kCatFlow[] = {0x51, 0x78, 0xAE, 0x01, 0x01, 0x00};
constexpr uint8_t kCatStop = 0x10;

GVariant* WriteArgs(const uint8_t* data, size_t bytes, bool withResponse) {
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&options, "{sv}", "type",
                          g_variant_new_string(withResponse ? "request" : "command"));
    GVariant* value = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, data, bytes, 1);
    return g_variant_new("(@aya{sv})", value, &options);
}

// Looks for the device a while, discovering on every adapter.
bool Find(CBluezBus& bus, const std::string& address, BluezObjects& objects, std::string& error) {
    if (!bus.Objects(objects, error)) return false;
    if (objects.Device(address)) return true;
    std::string ignored;
    for (const std::string& adapter : objects.adapters)
        bus.Call(adapter, kAdapter, "StartDiscovery", nullptr, 5000, ignored);
    const auto deadline = Clock::now() + kFindFor;
    bool found = false;
    while (!found && Clock::now() < deadline && bus.Objects(objects, error)) {
        found = objects.Device(address) != nullptr;
        if (!found) bus.Wait(kLookPollMs);
    }
    for (const std::string& adapter : objects.adapters)
        bus.Call(adapter, kAdapter, "StopDiscovery", nullptr, 5000, ignored);
    if (!found && error.empty())
        error = "BlueZ does not see it: it is out of range, switched off or connected elsewhere";
    return found;
}
}  // namespace

CBleLink::CBleLink(std::unique_ptr<CBluezBus> bus, std::string address, std::string devicePath)
    : m_bus(std::move(bus)), m_address(std::move(address)), m_devicePath(std::move(devicePath)) {}

std::unique_ptr<CBleLink> CBleLink::Open(const std::string& address, std::string& error,
                                         CBluezBus::StopCheck stop, bool everyNotify) {
    std::string why;
    std::unique_ptr<CBluezBus> bus = CBluezBus::Connect(why, std::move(stop));
    BluezObjects objects;
    if (bus && Find(*bus, address, objects, why)) {
        std::unique_ptr<CBleLink> link(
            new CBleLink(std::move(bus), address, objects.Device(address)->path));
        if (link->Connect(why, everyNotify)) return link;
    }
    error = "Bluetooth LE printer " + address + " can't be reached: " + why + ".";
    return nullptr;
}

// Signals from BlueZ's unique name only: the bus stamps each signal with its
// sender's, which no other client can take.
bool CBleLink::Subscribe(std::string& error) {
    g_main_context_push_thread_default(m_bus->Context());
    GDBusConnection* c = m_bus->Connection();
    const char* bluez = m_bus->Owner().c_str();
    m_deviceWatch = g_dbus_connection_signal_subscribe(
        c, bluez, "org.freedesktop.DBus.Properties", "PropertiesChanged", m_devicePath.c_str(),
        kDevice, G_DBUS_SIGNAL_FLAGS_NONE, OnDevice, this, nullptr);
    for (const std::string& path : m_notifyPaths)
        m_notifyWatches.push_back(g_dbus_connection_signal_subscribe(
            c, bluez, "org.freedesktop.DBus.Properties", "PropertiesChanged", path.c_str(),
            kCharacteristic, G_DBUS_SIGNAL_FLAGS_NONE, OnNotify, this, nullptr));
    g_main_context_pop_thread_default(m_bus->Context());
    for (const std::string& path : m_notifyPaths)
        if (!m_bus->Call(path, kCharacteristic, "StartNotify", nullptr, kWriteMs, error))
            return false;
    return true;
}

bool CBleLink::Connect(std::string& error, bool everyNotify) {
    if (!m_bus->Call(m_devicePath, kDevice, "Connect", nullptr, kConnectMs, error) &&
        error.find("AlreadyConnected") == std::string::npos)
        return false;
    m_connected = true;
    // BlueZ lists the GATT objects once it has read them from the printer.
    const auto deadline = Clock::now() + std::chrono::milliseconds(kConnectMs);
    BluezObjects objects;
    std::optional<BleChannel> channel;
    std::vector<BleCharacteristic> mine;
    while (!channel && Clock::now() < deadline && m_bus->Objects(objects, error)) {
        mine = objects.Below(m_devicePath);
        channel = ChooseChannel(mine, everyNotify);
        if (!channel) m_bus->Wait(kLookPollMs);
    }
    if (!channel) {
        if (error.empty()) error = "it offers no characteristic to print to";
        return false;
    }
    m_writePath = channel->write->path;
    if (channel->notify) m_notifyPaths.push_back(channel->notify->path);
    for (const BleCharacteristic* also : channel->alsoNotify) m_notifyPaths.push_back(also->path);
    m_framing = channel->framing;
    m_withResponse = channel->withResponse;
    if (channel->write->mtu > 3) m_payload = static_cast<size_t>(channel->write->mtu - 3);
    return Subscribe(error);
}

// Closing is not given up with the job: StopNotify and Disconnect share a
// short time, so a BlueZ that stopped answering holds nothing up for long.
CBleLink::~CBleLink() {
    if (!m_lost && m_problem.empty()) Finish();
    m_bus->SetStopCheck(nullptr);
    const auto deadline = Clock::now() + std::chrono::milliseconds(kCloseMs);
    auto left = [&] {
        using std::chrono::duration_cast, std::chrono::milliseconds;
        return static_cast<int>(duration_cast<milliseconds>(deadline - Clock::now()).count());
    };
    std::string ignored;
    if (!m_lost)
        for (size_t i = 0; i < m_notifyWatches.size() && left() > 0; i++)
            m_bus->Call(m_notifyPaths[i], kCharacteristic, "StopNotify", nullptr, left(), ignored);
    if (m_connected && !m_lost && left() > 0)
        m_bus->Call(m_devicePath, kDevice, "Disconnect", nullptr, left(), ignored);
    GDBusConnection* c = m_bus->Connection();
    if (m_deviceWatch) g_dbus_connection_signal_unsubscribe(c, m_deviceWatch);
    for (guint watch : m_notifyWatches) g_dbus_connection_signal_unsubscribe(c, watch);
}

void CBleLink::OnDevice(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                        GVariant* params, gpointer self) {
    GVariant* changed = nullptr;
    g_variant_get(params, "(&s@a{sv}@as)", nullptr, &changed, nullptr);
    gboolean connected = TRUE;
    if (g_variant_lookup(changed, "Connected", "b", &connected) && !connected)
        static_cast<CBleLink*>(self)->m_lost = true;
    g_variant_unref(changed);
}

void CBleLink::OnNotify(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                        GVariant* params, gpointer self) {
    GVariant* changed = nullptr;
    g_variant_get(params, "(&s@a{sv}@as)", nullptr, &changed, nullptr);
    if (GVariant* value = g_variant_lookup_value(changed, "Value", G_VARIANT_TYPE("ay"))) {
        gsize size = 0;
        const auto* data = static_cast<const uint8_t*>(g_variant_get_fixed_array(value, &size, 1));
        static_cast<CBleLink*>(self)->Heard(data, size);
        g_variant_unref(value);
    }
    g_variant_unref(changed);
}

void CBleLink::Heard(const uint8_t* data, size_t bytes) {
    std::lock_guard lock(m_mutex);
    if (m_framing == BleFraming::Cat && bytes > sizeof kCatFlow &&
        std::equal(std::begin(kCatFlow), std::end(kCatFlow), data)) {
        m_stopped = data[sizeof kCatFlow] == kCatStop;
        return;
    }
    m_heard.insert(m_heard.end(), data, data + bytes);
}

void CBleLink::Pump() {
    m_bus->Wait(0);
}

bool CBleLink::Fail(const std::string& why) {
    if (m_problem.empty()) m_problem = why;
    return false;
}

bool CBleLink::GiveUp() {
    return Fail("Sending to Bluetooth LE printer " + m_address +
                " was given up (the job was cancelled or the server is stopping).");
}

bool CBleLink::WaitUntilGo() {
    const auto deadline = Clock::now() + std::chrono::milliseconds(kStoppedMs);
    for (;;) {
        Pump();
        if (m_lost) break;
        {
            std::lock_guard lock(m_mutex);
            if (!m_stopped) return true;
        }
        if (m_bus->Stopped()) return GiveUp();
        if (Clock::now() >= deadline)
            return Fail("Bluetooth LE printer " + m_address + " said to stop sending and did not " +
                        "go on within " + std::to_string(kStoppedMs / 1000) + " s.");
        m_bus->Wait(CBluezBus::kCheckMs);
    }
    return Fail("Bluetooth LE printer " + m_address +
                " dropped the link (out of range or switched off); the job was stopped.");
}

// One WriteValue at a time, each answered by BlueZ before the next: the
// bytes never pile up faster than BlueZ hands them to the link.
bool CBleLink::SendChunk(const uint8_t* data, size_t bytes) {
    if (!WaitUntilGo()) return false;
    std::string why;
    if (!m_bus->Call(m_writePath, kCharacteristic, "WriteValue",
                     WriteArgs(data, bytes, m_withResponse), kWriteMs, why)) {
        if (m_bus->Stopped()) return GiveUp();
        Pump();
        if (m_lost || why.find("NotConnected") != std::string::npos) {
            m_lost = true;
            return WaitUntilGo();
        }
        return Fail("Bluetooth LE printer " + m_address + " took no data: " + why + ".");
    }
    ++m_writes;
    return true;
}

bool CBleLink::Send(const uint8_t* data, size_t bytes) {
    for (size_t at = 0; at < bytes; at += m_payload)
        if (!SendChunk(data + at, std::min(m_payload, bytes - at))) return false;
    return true;
}

// Whole packets, as many as fit in one write; a packet longer than a write
// goes alone in as many writes as it takes. Bytes that are not a packet
// go as they come.
bool CBleLink::SendPaperang() {
    size_t at = 0, run = 0;
    auto packetAt = [&](size_t i) -> size_t {
        if (m_pending.size() - i < kPaperangHeader || m_pending[i] != kPaperangStart) return 0;
        const size_t size =
            (m_pending[i + 2] | static_cast<size_t>(m_pending[i + 3]) << 8) + kPaperangOverhead;
        return size <= m_pending.size() - i ? size : 0;
    };
    while (at + run < m_pending.size()) {
        const size_t next = packetAt(at + run);
        const bool unframed = m_pending[at + run] != kPaperangStart;
        if (!next && !unframed) break;  // a packet's tail is still to come
        const size_t size = next ? next : m_pending.size() - (at + run);
        if (run && run + size > m_payload) {
            if (!Send(m_pending.data() + at, run)) return false;
            at += run;
            run = 0;
        }
        run += size;
    }
    if (run && !Send(m_pending.data() + at, run)) return false;
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(at + run));
    return true;
}

// Each packet in writes of its own, a row packet no sooner than
// kNiimbotRowGap after the row before; bytes outside packets go as they come.
bool CBleLink::SendNiimbot() {
    size_t at = 0;
    while (at < m_pending.size()) {
        const uint8_t* p = m_pending.data() + at;
        const size_t left = m_pending.size() - at;
        size_t size = 0;
        if (p[0] != kNiimbotStart)
            size = static_cast<size_t>(std::find(p, p + left, kNiimbotStart) - p);
        else if (left >= kNiimbotHeader && p[3] + kNiimbotOverhead <= left)
            size = p[3] + kNiimbotOverhead;
        else
            break;  // a packet's tail is still to come
        const bool row = p[0] == kNiimbotStart && IsNiimbotRow(p[2]);
        if (row) {
            std::this_thread::sleep_until(m_lastRow + kNiimbotRowGap);
            Pump();
        }
        if (!Send(p, size)) return false;
        if (row) m_lastRow = Clock::now();
        at += size;
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(at));
    return true;
}

bool CBleLink::Write(const void* data, size_t bytes) {
    if (!m_problem.empty()) return false;
    const auto* p = static_cast<const uint8_t*>(data);
    if (m_framing != BleFraming::Paperang && m_framing != BleFraming::Niimbot)
        return Send(p, bytes);
    m_pending.insert(m_pending.end(), p, p + bytes);
    return m_framing == BleFraming::Paperang ? SendPaperang() : SendNiimbot();
}

bool CBleLink::Finish() {
    if (m_pending.empty()) return m_problem.empty();
    std::vector<uint8_t> rest;
    rest.swap(m_pending);
    return Send(rest.data(), rest.size());
}

ssize_t CBleLink::Read(void* buffer, size_t bytes, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        Pump();
        {
            std::lock_guard lock(m_mutex);
            if (!m_heard.empty()) {
                const size_t n = std::min(bytes, m_heard.size());
                std::copy_n(m_heard.begin(), n, static_cast<uint8_t*>(buffer));
                m_heard.erase(m_heard.begin(), m_heard.begin() + static_cast<long>(n));
                return static_cast<ssize_t>(n);
            }
        }
        if (m_lost) return -1;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return 0;
        m_bus->Wait(static_cast<int>(std::min<int64_t>(left, CBluezBus::kCheckMs)));
    }
}
