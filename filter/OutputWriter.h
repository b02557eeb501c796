#pragma once

// Writes printer bytes to standard output. Every byte is written: short
// writes and interrupted writes (EINTR) are retried. A hard error (the
// backend went away) is reported once as a filter error, later writes are
// skipped, and the job ends with a failure status.
bool WriteToPrinter(const void* data, int length);
bool PrinterOutputFailed();
void ResetPrinterOutput();  // for tests and for the start of a job
void SetPrinterOutputFd(int fd);
