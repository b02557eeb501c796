#pragma once

#include <cups/raster.h>
#include <syslog.h>

#include <cstdarg>
#include <string>
#include <type_traits>

#include "filter/MarkedOption.h"
#include "filter/OutputWriter.h"
#include "languages/paperang/Encoder.h"
#include "render/BaseRender.h"
#include "render/PrinterParameters.h"

typedef struct ppd_file_s ppd_file_t;

// What the CUPS job loop hands a render: the queue's PPD and the page
// header of the page being printed.
struct CCupsBinding {
    virtual ~CCupsBinding() = default;
    ppd_file_t* ppd = nullptr;
    cups_page_header2_t* header = nullptr;
};

// Binds an encoder T to CUPS: settings from the PPD's marked options, page
// preparation before painting, output to standard output, log to syslog.
template <class T>
class CCupsRender : public T, public CCupsBinding {
public:
    using T::T;

    std::string GetMarkedOption(const char* keyword) override {
        return LookupMarkedOption(*this, ppd, keyword);
    }

    void GetPrinterParameters() override { ReadPrinterParameters(*this); }

    void OnInit() override {
        T::OnInit();
        if constexpr (std::is_base_of_v<CPrinterPaperang, T>) ReadPaperangSeed(*this, ppd);
    }

    void OnBeginBmp() override {
        if (!ppd || !header) {
            AddLog("ppd == NULL || header == NULL");
            return;
        }
        this->PreparePage();
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
