#include "filter/RenderFactory.h"

#include "filter/CupsRender.h"
#include "printers/LanguageFactory.h"

CBaseRender* CreateRender(int modelNumber) {
    return CreateRenderFor<CCupsRender>(modelNumber);
}
