#pragma once
// TPicture: holds one graphic of any registered class, chosen by file extension or by the data's
// signature, and streams it in form files as its class name followed by its data.

#include "platform/graphics/Graphic.h"

namespace qor {

class TBitmap;
class TIcon;
class TMetafile;

class TPicture : public TPersistent {
    QOR_CLASS(TPicture, TPersistent)
public:
    TPicture() = default;
    ~TPicture() override;

    // Null when the picture is empty.
    TGraphic* Graphic() const { return FGraphic.get(); }
    // Takes a copy of Value (a new graphic of its class); null empties the picture.
    void SetGraphic(TGraphic* Value);
    // The graphic as a bitmap, icon or metafile; a graphic of another class is replaced by a
    // new, empty one of the asked class.
    TBitmap* Bitmap();
    TIcon* Icon();
    TMetafile* Metafile();

    Integer Width() const;
    Integer Height() const;

    // Picks the class by the file's extension (EInvalidGraphic for unknown extensions).
    void LoadFromFile(const String& FileName);
    void SaveToFile(const String& FileName);
    // Picks the class by the data's signature (EInvalidGraphic for unknown data).
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream);

    void Assign(TPersistent* Source) override;
    void DefineProperties(TFiler& Filer) override;

    // The form-file "Data": a length-prefixed class name, then the graphic's data.
    void ReadData(TStream* Stream);
    void WriteData(TStream* Stream);

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* Dest) override;
    virtual void Changed(TObject* Sender);

private:
    void Replace(std::unique_ptr<TGraphic> NewGraphic);
    template <class T>
    T* Force();

    std::unique_ptr<TGraphic> FGraphic;
};

// A new graphic of the class the data's signature names (bitmap, icon, metafile, PNG, JPEG or
// GIF), loaded from the stream's position; null, with the position unchanged, when no class
// recognises or loads the data.
std::unique_ptr<TGraphic> LoadGraphicFromStream(TStream* Stream);

} // namespace qor
