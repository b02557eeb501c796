#include "filter/RenderFactory.h"

#include "filter/CupsRender.h"
#include "render/RenderTable.h"

CBaseRender* CreateRender(int modelNumber) {
    return CreateRenderFor<CCupsRender>(modelNumber);
}
