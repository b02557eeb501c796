#pragma once

#include <string>

class CBaseRender;
class CPrinterPaperang;
typedef struct ppd_file_s ppd_file_t;

// The marked choice of a PPD option (empty when missing or unmarked), with
// its diagnostic line logged through the render.
std::string LookupMarkedOption(CBaseRender& render, ppd_file_t* ppd, const char* keyword);

// The Paperang checksum seed from the PPD attribute, when it has a valid one.
void ReadPaperangSeed(CPrinterPaperang& render, ppd_file_t* ppd);
