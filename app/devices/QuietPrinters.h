#pragma once

// Printers (by id) that gave no answer to a status query: neither their jobs
// nor the idle check ask them again for kQuietSeconds, so a one-way printer
// costs one short wait in that time, not one every job.
constexpr int kQuietSeconds = 60;
bool IsQuiet(int printerId);
void SetQuiet(int printerId, bool quiet);

// Printers whose last status query went without a whole answer in time: a
// late answer may still come, and is read away before the next query so
// that it is not taken for that query's answer.
bool OwesAnswer(int printerId);
void SetOwesAnswer(int printerId, bool owes);
