#pragma once
// TFont: a font description (name, size, style, colour...) with the shared font object (HFONT)
// made from it on demand.
//
// Height is in pixels at PixelsPerInch (negative: the em height; positive: the cell height);
// Size is in points: Size = -MulDiv(Height, 72, PixelsPerInch), Height = -MulDiv(Size, PixelsPerInch, 72).
// Changing PixelsPerInch keeps the pixel height.

#include "platform/graphics/GraphicsObject.h"
#include "platform/rtl/Set.h"

namespace qor {

enum TFontStyle : Byte { fsBold, fsItalic, fsUnderline, fsStrikeOut };
QOR_ENUM_NAMES(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut");
using TFontStyles = TSet<TFontStyle>;

enum TFontPitch : Byte { fpDefault, fpVariable, fpFixed };
QOR_ENUM_NAMES(TFontPitch, "fpDefault", "fpVariable", "fpFixed");

using TFontCharset = Byte;
using TFontName = String;

class TFont : public TGraphicsObject {
    QOR_CLASS(TFont, TGraphicsObject)
public:
    TFont();
    ~TFont() override;

    void Assign(TPersistent* Source) override;

    // The font object for the current description, made on first use; the font owns it.
    HFONT Handle();
    // Takes the description from a font object (name, height, style, pitch, character set,
    // orientation); the font uses that handle without owning it until the description changes.
    void SetHandle(HFONT Value);
    // The current description as a LOGFONT.
    LOGFONT LogFont() const;

    const String& Name() const { return FName; }
    void SetName(const String& Value);
    Integer Size() const;
    void SetSize(Integer Value);
    Integer Height() const { return FHeight; }
    void SetHeight(Integer Value);
    Integer PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(Integer Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch Value);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset Value);
    // Tenths of a degree, counter-clockwise.
    Integer Orientation() const { return FOrientation; }
    void SetOrientation(Integer Value);

protected:
    void Changed() override;

private:
    void ReleaseHandle();

    String FName = "MS Sans Serif";
    Integer FHeight = -11;
    Integer FPixelsPerInch;
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    TFontPitch FPitch = fpDefault;
    TFontCharset FCharset = DEFAULT_CHARSET;
    Integer FOrientation = 0;
    HFONT FHandle;
    bool FOwnsHandle = false;
};

} // namespace qor
