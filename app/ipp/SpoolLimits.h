#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <optional>
#include <string_view>

// How much the spool takes: one job's document and all queued documents
// together. An upload past either is refused with an IPP error and its
// partial file removed, so a client cannot fill the disk.
struct SpoolLimits {
    int64_t job = int64_t{256} << 20;
    int64_t total = int64_t{1} << 30;
};

// A size as the server options write it: bytes, or a whole number of KiB,
// MiB or GiB ("512M", "2G"); 0 means no limit. Nothing for other text.
std::optional<int64_t> ParseSize(std::string_view text);

// Applies -o max-job-size=SIZE and -o max-spool-size=SIZE (the defaults of
// SpoolLimits where not given); false, with the reason on standard error,
// for a value that is no size.
bool ApplySpoolLimits(pappl_system_t* system, const char* jobSize, const char* spoolSize);
