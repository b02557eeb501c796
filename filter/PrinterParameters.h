#pragma once

#include <string>

class CBaseRender;
class CPrinterPaperang;
typedef struct ppd_file_s ppd_file_t;

// The marked choice of a PPD option in the PPD the render is bound to (empty
// when missing, unmarked or unbound), with its diagnostic line logged through
// the render.
std::string LookupMarkedOption(CBaseRender& render, const char* keyword);

// Reads every PPD option of the job into the render's settings.
void ReadPrinterParameters(CBaseRender& render);

// The Paperang checksum seed from the PPD attribute, when it has a valid one.
void ReadPaperangSeed(CPrinterPaperang& render, ppd_file_t* ppd);
