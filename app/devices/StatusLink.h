#pragma once

#include <pappl/pappl.h>

#include "app/devices/DeviceOutput.h"
#include "printers/PrinterConditions.h"

struct StatusExchange;

// Asks a printer for its status through an open PAPPL device, between
// commands. A link that does not read back (a file) is never asked; one
// that gives no whole, well-formed answer within kReplyMs is not asked again
// in this job nor for a while after (QuietPrinters.h), so a printer that
// never answers costs one short wait.
class CStatusLink {
public:
    static constexpr int kReplyMs = 1000;

    // `job` may be null (an idle printer); `output` carries the query.
    CStatusLink(pappl_printer_t* printer, pappl_job_t* job, pappl_device_t* device,
                CDeviceOutput& output);

    bool CanAsk() const { return m_exchange && !m_silent; }
    // The printer's conditions; `answered` is false when it was not asked or
    // did not answer.
    PrinterConditions Ask();

    // True for device URIs whose printers can answer (network, USB, serial, Bluetooth LE).
    static bool ReadsBack(const char* deviceUri);
    // The printer's status exchange, or null when its language or its link
    // has none.
    static const StatusExchange* ExchangeOf(pappl_printer_t* printer);

private:
    void GiveUp(const char* why);

    pappl_printer_t* m_printer;
    pappl_job_t* m_job;
    pappl_device_t* m_device;
    CDeviceOutput& m_output;
    const StatusExchange* m_exchange;
    bool m_silent = false;
};
