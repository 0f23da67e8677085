#include "platform/graphics/Graphic.h"

#include "platform/graphics/Canvas.h"

namespace qor {

void TGraphic::Draw(TCanvas* ACanvas, const TRect& Rect)
{
    if (!ACanvas || Empty())
        return;
    DrawTo(ACanvas->Handle(), Rect);
}

} // namespace qor
