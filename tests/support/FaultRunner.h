#pragma once

#include <string>
#include <vector>

#include "support/FilterRunner.h"

// Runs the filter with a broken standard output, the way a dead backend
// leaves it.
FilterResult RunFilterWithBrokenOutput(const FilterRun& run, BrokenOutput how);

// While it lives, filters started by this process log through the test
// catcher library instead of the system log; Lines() returns what they
// logged so far.
class SyslogCapture {
public:
    SyslogCapture();
    ~SyslogCapture();
    SyslogCapture(const SyslogCapture&) = delete;
    SyslogCapture& operator=(const SyslogCapture&) = delete;

    std::vector<std::string> Lines() const;
    void Clear();

private:
    std::string m_path;
    std::vector<std::pair<std::string, std::string>> m_saved;  // name, old value ("\1" unset)
};
