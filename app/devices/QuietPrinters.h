#pragma once

// Printers (by id) that gave no answer to a status query: neither their jobs
// nor the idle check ask them again for kQuietSeconds, so a one-way printer
// costs one short wait in that time, not one every job.
constexpr int kQuietSeconds = 60;
bool IsQuiet(int printerId);
void SetQuiet(int printerId, bool quiet);
