#pragma once
// TMetafile: enhanced (EMF) and Windows (WMF, with or without the placeable header) metafiles,
// kept byte for byte as loaded and played onto device contexts.

#include "platform/graphics/Graphic.h"

#include <span>
#include <vector>

namespace qor {

inline constexpr Cardinal PlaceableMetafileKey = 0x9AC6CDD7;

// What a metafile's data says about itself. Frame is in hundredths of a millimetre.
struct TMetafileInfo {
    bool Enhanced = false;
    bool Placeable = false;
    Integer MMWidth = 0;
    Integer MMHeight = 0;
    Word Inch = 0;           // placeable WMF: logical units per inch
    TRect Bounds;            // placeable WMF: the picture in logical units
};

// Checks the whole record structure (every record inside the data, the end record present) and
// reads the size. False with a reason on damaged data.
bool ReadMetafileInfo(std::span<const Byte> Data, TMetafileInfo& Info, String* Error = nullptr);

// Plays the metafile stretched into Dest (logical units of DC; Right and Bottom exclusive).
// The context's state is saved before and restored after. Unknown records are skipped; records
// whose contents lie outside the record are ignored.
bool PlayMetafileData(HDC DC, std::span<const Byte> Data, const TRect& Dest);

class TMetafile : public TGraphic {
    QOR_CLASS(TMetafile, TGraphic)
public:
    TMetafile() = default;

    void Assign(TPersistent* Source) override;

    bool Empty() const override { return FData.empty(); }
    // In screen pixels (96 per inch).
    Integer Width() const override;
    Integer Height() const override;
    void SetWidth(Integer Value) override;
    void SetHeight(Integer Value) override;
    // In hundredths of a millimetre.
    Integer MMWidth() const { return FMMWidth; }
    Integer MMHeight() const { return FMMHeight; }
    void SetMMWidth(Integer Value);
    void SetMMHeight(Integer Value);
    bool Enhanced() const { return FInfo.Enhanced; }
    Word Inch() const { return FInfo.Inch; }

    // Reads a metafile from the stream's position to its end: EMF, placeable WMF or plain WMF.
    void LoadFromStream(TStream* Stream) override;
    // Writes the bytes exactly as loaded.
    void SaveToStream(TStream* Stream) override;
    void DrawTo(HDC DC, const TRect& Rect) override;

    const std::vector<Byte>& Data() const { return FData; }
    void Clear();

private:
    std::vector<Byte> FData;
    TMetafileInfo FInfo;
    Integer FMMWidth = 0;
    Integer FMMHeight = 0;
};

} // namespace qor
