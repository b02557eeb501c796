#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the fuzz targets share: quiet filter output, PPD text, memory files
// and the bound on the work one input may ask for.

// Appends libFuzzer flags that the command line does not give itself. Every
// target passes -close_fd_mask=3, so that the filter's messages do not drown
// the fuzzer's (its reports and the sanitizers' still go to the real
// standard error).
void AddDefaultFlags(int* argc, char*** argv, const std::vector<std::string>& flags);

struct FuzzOption {
    std::string keyword;
    std::vector<std::string> choices;  // the first is the default
};

// PPD text for a model with PickOne options.
std::string PpdText(int model, const std::vector<FuzzOption>& options);

// The option keywords the binding reads, in its order.
const std::vector<std::string>& BindingKeywords();

// An anonymous file in memory, rewritten for each input.
class MemoryFile {
public:
    explicit MemoryFile(const char* name);
    bool Store(const void* data, size_t size);
    int Fd() const { return m_fd; }
    std::string Path() const;  // /proc/self/fd/N: opening it starts at offset 0

private:
    int m_fd = -1;
};

// Whether the filter can run the raster quickly: few pages, a bounded amount
// of pixel data decoded, and bounded images for the pages that the filter
// would take into memory. Inputs beyond that are slow, not wrong; the
// limit checks cover huge pages through the real program.
bool RasterWithinBudget(const uint8_t* data, size_t size);
