#pragma once
// How many different colours a picture file has, sampled every other pixel (a blank window has
// one or two).

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Picture.h"

#include <set>
#include <string>

namespace qor::test {

inline int PngColours(const std::string& Png)
{
    TPicture picture;
    picture.LoadFromFile(Png);
    if (!picture.Graphic())
        return 0;
    TBitmap b;
    b.SetSize(picture.Width(), picture.Height());
    b.Canvas()->Draw(0, 0, picture.Graphic());
    std::set<TColor> seen;
    for (Integer y = 0; y < b.Height(); y += 2)
        for (Integer x = 0; x < b.Width(); x += 2)
            seen.insert(b.Canvas()->Pixel(x, y));
    return static_cast<int>(seen.size());
}

} // namespace qor::test
