#pragma once

#include <string>

// One line on standard output per thing the printer does, flushed at once
// so that a program watching the simulator sees it as it happens.
void LogEvent(const std::string& line);
