#pragma once

// How long a PDF job may keep its printer waiting for poppler: reading the
// file and drawing each page, and all of it together, `page` seconds for
// each page and once more for the file, at most `job` seconds (0: no bound
// for the whole job). Time the printer spends printing is not counted.
struct PdfTimeLimits {
    int page = 30;
    int job = 600;

    // The whole job's bound for a document of this many pages, in seconds
    // (0: none).
    double JobBound(int pages) const;
};

// Reads -o pdf-page-time=SECONDS and -o pdf-job-time=SECONDS (the defaults
// where not given); false, with the reason on standard error, for a value
// out of range.
bool ReadPdfTimeLimits(const char* page, const char* job, PdfTimeLimits& limits);
