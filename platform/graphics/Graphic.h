#pragma once
// TGraphic: the base of every picture class (bitmaps, icons, metafiles, compressed images), and
// the table of graphic classes by file extension used by pictures and open dialogs.

#include "platform/graphics/GdiTypes.h"
#include "platform/graphics/Geometry.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Persistent.h"

#include <memory>
#include <vector>

namespace qor {

class TCanvas;
class TStream;

class TGraphic : public TPersistent {
    QOR_CLASS(TGraphic, TPersistent)
public:
    TGraphic() = default;

    virtual bool Empty() const = 0;
    virtual Integer Width() const = 0;
    virtual Integer Height() const = 0;
    // Classes whose size is fixed by their data raise EInvalidGraphicOperation.
    virtual void SetWidth(Integer Value);
    virtual void SetHeight(Integer Value);
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    bool Modified() const { return FModified; }
    void SetModified(bool Value);

    // Reads the graphic from the stream's position to its end. Data that is not of this class's
    // format, damaged or truncated raises EInvalidGraphic and leaves the graphic empty.
    virtual void LoadFromStream(TStream* Stream) = 0;
    // Writes the graphic in its own file format. An empty graphic writes nothing.
    virtual void SaveToStream(TStream* Stream) = 0;
    void LoadFromFile(const String& FileName);
    void SaveToFile(const String& FileName);

    // Draws the graphic stretched into Rect (Right and Bottom exclusive) on the canvas.
    void Draw(TCanvas* ACanvas, const TRect& Rect);
    // The same on a device context, in its logical units. Empty graphics draw nothing.
    virtual void DrawTo(HDC DC, const TRect& Rect) = 0;

    // The form-file form of the graphic (a TPicture's "Data" after the class name).
    virtual void ReadData(TStream* Stream);
    virtual void WriteData(TStream* Stream);
    // Same class and same saved bytes.
    virtual bool Equals(TGraphic* Other);

    void DefineProperties(TFiler& Filer) override;

    TNotifyEvent OnChange;

protected:
    virtual void Changed(TObject* Sender);

private:
    bool FTransparent = false;
    bool FModified = false;
};

using TGraphicClass = TClass;

// Makes GraphicClass the class for files with Extension ("bmp" or ".bmp", case ignored);
// Description names the format in open dialogs. A later registration of the same extension wins.
void RegisterFileFormat(const String& Extension, const String& Description, TGraphicClass GraphicClass);
void UnregisterGraphicClass(TGraphicClass GraphicClass);
// Null when no class is registered for the extension.
TGraphicClass GetGraphicClassForExtension(const String& Extension);
// The default extension of a class (without the dot), empty when none.
String GraphicExtension(TGraphicClass GraphicClass);
// "*.bmp;*.dib" for the formats of GraphicClass and its descendants.
String GraphicFileMask(TGraphicClass GraphicClass);
// An open-dialog filter for GraphicClass and its descendants: an "All" entry first, then one entry
// per format: "All (*.bmp;*.ico)|*.bmp;*.ico|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico".
String GraphicFilter(TGraphicClass GraphicClass);
// A new, empty graphic of the class (which must descend from TGraphic).
std::unique_ptr<TGraphic> NewGraphic(TGraphicClass GraphicClass);

} // namespace qor
