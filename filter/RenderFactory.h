#pragma once

class CBaseRender;

// The table of renders: a new render (reference count 1) for a PPD model
// number, or null when the number selects no printer language.
CBaseRender* CreateRender(int modelNumber);
