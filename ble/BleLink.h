#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ble/BleServices.h"
#include "ble/BluezBus.h"

// A connection to one Bluetooth LE printer through BlueZ, for one job: it
// connects, finds the characteristics to write to and to hear from,
// subscribes to the answers and to the link's state, and writes the job's
// bytes as write-without-response in pieces that fit the link. Closing it
// disconnects; the next job connects again.
// It trusts only BlueZ: signals are taken from BlueZ's unique bus name, for
// the device's path and the characteristic it subscribed. Every wait (for
// BlueZ, for a printer that said "stop") asks the caller's stop check at
// least every CBluezBus::kCheckMs and gives up when told to.
class CBleLink {
public:
    static constexpr int kConnectMs = 20000;    // Connect() and finding the services
    static constexpr int kWriteMs = 10000;      // one WriteValue
    static constexpr int kStoppedMs = 30000;    // how long a printer may say "stop"
    static constexpr int kCloseMs = 1000;       // StopNotify and Disconnect together
    static constexpr int kUnknownPayload = 20;  // bytes per write when BlueZ gives no MTU

    // Null, with one sentence, when the printer can't be reached or `stop`
    // said stop. With everyNotify it hears every notifying characteristic
    // of the service it writes to (printers whose answers come on either).
    static std::unique_ptr<CBleLink> Open(const std::string& address, std::string& error,
                                          CBluezBus::StopCheck stop = nullptr,
                                          bool everyNotify = false);
    ~CBleLink();
    CBleLink(const CBleLink&) = delete;
    CBleLink& operator=(const CBleLink&) = delete;

    // Sends the bytes (a Paperang or NIIMBOT link keeps a packet's tail
    // until it is whole; NIIMBOT rows are paced). False, with the reason kept in Problem(), once
    // the link fails; every later write fails too.
    bool Write(const void* data, size_t bytes);
    // Sends what a Paperang or NIIMBOT link still holds.
    bool Finish();
    // What the printer answered, waiting up to timeoutMs; 0 for nothing.
    ssize_t Read(void* buffer, size_t bytes, int timeoutMs);

    // Replaces the stop check given to Open (a job's own, once it is known).
    void SetStopCheck(CBluezBus::StopCheck stop) { m_bus->SetStopCheck(std::move(stop)); }
    // True once the stop check said stop: every wait and write gives up.
    bool Stopped() { return m_bus->Stopped(); }

    const std::string& Problem() const { return m_problem; }
    bool Lost() const { return m_lost; }
    size_t Writes() const { return m_writes; }
    size_t Payload() const { return m_payload; }

private:
    CBleLink(std::unique_ptr<CBluezBus> bus, std::string address, std::string devicePath);
    bool Connect(std::string& error, bool everyNotify);
    bool Subscribe(std::string& error);
    void Pump();
    bool WaitUntilGo();
    bool Send(const uint8_t* data, size_t bytes);
    bool SendChunk(const uint8_t* data, size_t bytes);
    bool SendPaperang();
    bool SendNiimbot();
    bool Fail(const std::string& why);
    bool GiveUp();  // Fail() for a wait the stop check ended
    void Heard(const uint8_t* data, size_t bytes);

    static void OnDevice(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                         GVariant* params, gpointer self);
    static void OnNotify(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                         GVariant* params, gpointer self);

    std::unique_ptr<CBluezBus> m_bus;
    std::string m_address, m_devicePath, m_writePath;
    std::vector<std::string> m_notifyPaths;
    BleFraming m_framing = BleFraming::Plain;
    bool m_withResponse = false;
    size_t m_payload = kUnknownPayload;
    guint m_deviceWatch = 0;
    std::vector<guint> m_notifyWatches;
    bool m_connected = false;

    std::mutex m_mutex;  // what the signal handlers fill
    std::deque<uint8_t> m_heard;
    bool m_stopped = false;  // the printer said "stop sending"
    std::atomic<bool> m_lost = false;

    std::vector<uint8_t> m_pending;  // a Paperang or NIIMBOT packet not yet whole
    std::chrono::steady_clock::time_point m_lastRow{};  // the last NIIMBOT row packet sent
    std::string m_problem;
    size_t m_writes = 0;
};
