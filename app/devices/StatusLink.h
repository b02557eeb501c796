#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "app/devices/DeviceOutput.h"
#include "printers/PrinterConditions.h"

struct StatusExchange;
struct PageProgressExchange;
struct ModelExchange;

// Asks a printer for its status through an open PAPPL device, between
// commands. A link that does not read back (a file) is never asked; one
// that gives no whole, well-formed answer in time is not asked again in
// this job nor for a while after (QuietPrinters.h), so a printer that never
// answers costs one short wait. The time allowed fits the link: serial lines
// (Bluetooth too) answer slower than the network and USB. Bytes left from an
// answer that came too late are read away before the next query.
class CStatusLink {
public:
    static constexpr int kReplyMs = 1000;        // network and USB
    static constexpr int kSerialReplyMs = 3000;  // serial lines and Bluetooth
    // Most bytes read away before a query (a late answer is a few bytes).
    static constexpr size_t kMaxStale = 4096;

    // `job` may be null (an idle printer); `output` carries the query.
    CStatusLink(pappl_printer_t* printer, pappl_job_t* job, pappl_device_t* device,
                CDeviceOutput& output);

    bool CanAsk() const { return m_exchange && !m_silent; }
    // The printer's conditions; `answered` is false when it was not asked or
    // did not answer.
    PrinterConditions Ask();

    // How the printer says that a page printed, or null when it does not or
    // is not asked.
    const PageProgressExchange* Progress() const;
    // How the printer is asked for its model, or null when it is not.
    const ModelExchange* ModelQuery() const;
    // Sends bytes between commands; false when the link failed.
    bool Send(std::string_view bytes);
    // Adds what the printer sends to `reply` until `enough(reply)` holds or
    // `ms` have passed.
    void Gather(std::vector<uint8_t>& reply, int ms,
                const std::function<bool(std::span<const uint8_t>)>& enough);

    // True for device URIs whose printers can answer (network, USB, serial, Bluetooth LE).
    static bool ReadsBack(const char* deviceUri);
    // The printer's status exchange, or null when its language or its link
    // has none.
    static const StatusExchange* ExchangeOf(pappl_printer_t* printer);

    // The time allowed for an answer on the link of this device URI.
    static int ReplyMs(const char* deviceUri);

private:
    void GiveUp(const char* why);
    // True when it read away the bytes of a late answer.
    bool DrainStale();

    pappl_printer_t* m_printer;
    pappl_job_t* m_job;
    pappl_device_t* m_device;
    CDeviceOutput& m_output;
    const StatusExchange* m_exchange;
    bool m_silent = false;
    int m_replyMs;
};
