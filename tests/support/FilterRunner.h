#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Runs build/rastertothermal the way CUPS does: argv job-id user title
// copies options [file], PPD in the environment, raster on stdin or as the
// file argument.
struct FilterResult {
    int exitStatus = -1;  // -1 when the process did not exit normally
    int signal = 0;
    std::vector<uint8_t> out;
    std::string err;
    std::string outText() const { return std::string(out.begin(), out.end()); }
};

// How standard output looks to the filter: a file the test reads, or broken
// the way a dead backend leaves it (a pipe whose reader has gone, or no
// descriptor 1 at all).
enum class BrokenOutput { None, ClosedPipe, ClosedDescriptor };

struct FilterRun {
    std::string ppdPath;
    std::string options;
    std::vector<uint8_t> raster;
    bool rasterAsFile = false;              // pass the raster as the 7th argument
    std::vector<std::string> argsOverride;  // when set: exact argv after argv[0]
    bool usePpdEnv = true;
    BrokenOutput brokenOutput = BrokenOutput::None;
};

FilterResult RunFilter(const FilterRun& run);

// Convenience: raster on stdin, one PPD, one options string.
FilterResult RunFilter(const std::string& ppdPath, const std::vector<uint8_t>& raster,
                       const std::string& options = "");

// A filter process fed step by step, for signals in the middle of a job.
class FilterProcess {
public:
    FilterProcess(const std::string& ppdPath, const std::string& options);
    ~FilterProcess();
    void Write(const std::vector<uint8_t>& bytes, size_t from, size_t to);
    void Signal(int sig);
    // Waits (bounded) until the filter has a handler for the signal.
    bool WaitUntilCatching(int sig, int timeoutMs = 10000);
    void CloseInput();
    FilterResult Wait();
    // Waits until the filter's stderr contains the text (or times out).
    bool WaitForError(const std::string& text, int timeoutMs = 5000);

private:
    int m_pid = -1;
    int m_stdin = -1;
    std::string m_outPath, m_errPath;
};
