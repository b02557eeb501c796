#pragma once

#include <syslog.h>

#include <cstdarg>
#include <string>

#include "filter/OutputWriter.h"
#include "render/BaseRender.h"
#include "render/PrinterParameters.h"

// Binds an encoder T to CUPS: settings from the PPD's marked options, page
// preparation before painting, output to standard output, log to syslog.
template <class T>
class CCupsRender : public T {
public:
    using T::T;

    std::string GetMarkedOption(const char* keyword) { return LookupMarkedOption(*this, keyword); }

    void GetPrinterParameters() override { ReadPrinterParameters(*this); }

    void OnBeginBmp() override {
        if (!this->ppd || !this->header) {
            AddLog("ppd == NULL || header == NULL");
            return;
        }
        if (!this->bInitialized) {
            this->OnInit();
            this->bInitialized = true;
        }
        this->AdjustImage();
    }

    void WriteSpool(const void* data, int length) override {
        if (length <= 0) return;
        WriteToPrinter(data, length);
        std::fflush(stdout);
    }

    void AddLog(const char* format, ...) override __attribute__((format(printf, 2, 3))) {
        va_list args;
        va_start(args, format);
        vsyslog(LOG_DEBUG, format, args);
        va_end(args);
    }
};
