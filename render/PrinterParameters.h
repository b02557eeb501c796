#pragma once

#include <string>

class CBaseRender;

// The marked choice of a PPD option (empty when missing or unmarked), with
// its diagnostic line logged through the render.
std::string LookupMarkedOption(CBaseRender& render, const char* keyword);

// Reads every PPD option of the job into the render's settings.
void ReadPrinterParameters(CBaseRender& render);
