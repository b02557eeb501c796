#pragma once

#include <pappl/pappl.h>

#include <cstdarg>
#include <cstdio>
#include <map>
#include <string>

#include "app/devices/DeviceOutput.h"
#include "render/BaseRender.h"
#include "render/PrinterParameters.h"

// What a printer application job hands a render: the job's choices for the
// print options (by PPD keyword) and the device its bytes go to.
struct CAppBinding {
    virtual ~CAppBinding() = default;

    std::map<std::string, std::string> choices;
    pappl_job_t* job = nullptr;
    CDeviceOutput output;
    bool discard = false;  // a cancelled job sends nothing more
};

// Binds an encoder T to a PAPPL job: settings from the job's choices, bytes
// to the job's device, log lines to the job's log.
template <class T>
class CAppRender : public T, public CAppBinding {
public:
    void GetPrinterParameters() override { ReadPrinterParameters(*this); }

    std::string GetMarkedOption(const char* keyword) override {
        auto it = choices.find(keyword);
        if (it == choices.end()) return std::string();
        AddLog("%s = %s", keyword, it->second.c_str());
        return it->second;
    }

    void OnBeginBmp() override { this->PreparePage(); }

    void WriteSpool(const void* data, int length) override {
        if (length > 0 && !discard) output.Write(data, static_cast<size_t>(length));
    }

    void AddLog(const char* format, ...) override __attribute__((format(printf, 2, 3))) {
        if (!job) return;
        char line[1024];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "%s", line);
    }
};
