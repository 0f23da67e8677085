#pragma once
// TIcon: icon (and cursor) files holding one or more images; the best image is the one shown.

#include "platform/graphics/Dib.h"
#include "platform/graphics/Graphic.h"

#include <span>
#include <vector>

namespace qor {

// Decodes the best image of an icon or cursor file: the largest, then the deepest. Entries may
// be DIBs (with their transparency mask) or PNG data. False with a reason on bad data.
bool DecodeIconFile(std::span<const Byte> Data, TDibImage& Out, String* Error = nullptr);

class TIcon : public TGraphic {
    QOR_CLASS(TIcon, TGraphic)
public:
    TIcon() = default;

    void Assign(TPersistent* Source) override;

    bool Empty() const override { return FImage.Empty(); }
    Integer Width() const override { return FImage.Width; }
    Integer Height() const override { return FImage.Height; }
    // Always transparent where the icon's mask or alpha says so.
    bool Transparent() const override { return true; }

    // Reads an icon file from the stream's position to its end.
    void LoadFromStream(TStream* Stream) override;
    // Writes the icon file exactly as it was loaded.
    void SaveToStream(TStream* Stream) override;
    void DrawTo(HDC DC, const TRect& Rect) override;

    // The shown image (alpha in the pixels' top byte).
    const TDibImage& Image() const { return FImage; }

private:
    std::vector<Byte> FData;
    TDibImage FImage;
};

} // namespace qor
