#pragma once

class CBaseRender;

// Reads every print option of the job into the render's settings: each is
// the text of a choice (a number, a keyword such as "Gap" or "Default"),
// which the render's GetMarkedOption gives by option keyword; an empty text
// means the option is not there.
void ReadPrinterParameters(CBaseRender& render);
