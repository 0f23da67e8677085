#include "platform/graphics/Picture.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"

#include <algorithm>
#include <memory>

namespace qor {

QOR_PUBLISH(TPicture)
{
}

namespace {

struct TFormatsRegistration {
    TFormatsRegistration()
    {
        RegisterFileFormat("bmp", "Bitmaps", TBitmap::StaticClass());
        RegisterFileFormat("ico", "Icons", TIcon::StaticClass());
        RegisterFileFormat("emf", "Enhanced Metafiles", TMetafile::StaticClass());
        RegisterFileFormat("wmf", "Metafiles", TMetafile::StaticClass());
        RegisterFileFormat("png", "Portable Network Graphics", TPngImage::StaticClass());
        RegisterFileFormat("jpg", "JPEG Image File", TJPEGImage::StaticClass());
        RegisterFileFormat("jpeg", "JPEG Image File", TJPEGImage::StaticClass());
        RegisterFileFormat("gif", "GIF Image", TGIFImage::StaticClass());
        RegisterFileFormat("tif", "TIFF Image", TWICImage::StaticClass());
        RegisterFileFormat("tiff", "TIFF Image", TWICImage::StaticClass());
        RegisterFileFormat("webp", "WebP Image", TWICImage::StaticClass());
        RegisterFileFormat("svg", "Scalable Vector Graphics", TWICImage::StaticClass());
    }
};
const TFormatsRegistration FormatsRegistration;

TGraphicClass ClassForFormat(TImageFormat F)
{
    switch (F) {
    case TImageFormat::Bmp: return TBitmap::StaticClass();
    case TImageFormat::Png: return TPngImage::StaticClass();
    case TImageFormat::Jpeg: return TJPEGImage::StaticClass();
    case TImageFormat::Gif: return TGIFImage::StaticClass();
    case TImageFormat::Ico: return TIcon::StaticClass();
    case TImageFormat::Emf:
    case TImageFormat::Wmf: return TMetafile::StaticClass();
    default: return nullptr;
    }
}

} // namespace

std::unique_ptr<TGraphic> LoadGraphicFromStream(TStream* Stream)
{
    if (!Stream)
        return nullptr;
    const Int64 Start = Stream->Position();
    std::vector<Byte> Head = Stream->ReadBytes(std::min<Int64>(64, std::max<Int64>(Stream->Size() - Start, 0)));
    Stream->SetPosition(Start);
    // Data of no known signature goes to the catch-all, which asks the image plugins.
    const TGraphicClass Known = ClassForFormat(DetectImageFormat(Head));
    std::unique_ptr<TGraphic> G = NewGraphic(Known ? Known : TWICImage::StaticClass());
    try {
        G->LoadFromStream(Stream);
    } catch (const Exception&) {
        Stream->SetPosition(Start);
        return nullptr;
    }
    return G;
}

TPicture::~TPicture() = default;

void TPicture::Changed(TObject*)
{
    if (OnChange)
        OnChange(this);
}

void TPicture::Replace(std::unique_ptr<TGraphic> NewGraphic)
{
    FGraphic = std::move(NewGraphic);
    if (FGraphic)
        FGraphic->OnChange = [this](TObject* Sender) { Changed(Sender); };
    Changed(this);
}

void TPicture::SetGraphic(TGraphic* Value)
{
    if (Value == FGraphic.get())
        return;
    if (!Value) {
        Replace(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> Copy = NewGraphic(Value->ClassType());
    Copy->Assign(Value);
    Replace(std::move(Copy));
}

template <class T>
T* TPicture::Force()
{
    if (auto* G = dynamic_cast<T*>(FGraphic.get()))
        return G;
    Replace(std::make_unique<T>());
    return static_cast<T*>(FGraphic.get());
}

TBitmap* TPicture::Bitmap()
{
    return Force<TBitmap>();
}

TIcon* TPicture::Icon()
{
    return Force<TIcon>();
}

TMetafile* TPicture::Metafile()
{
    return Force<TMetafile>();
}

Integer TPicture::Width() const
{
    return FGraphic ? FGraphic->Width() : 0;
}

Integer TPicture::Height() const
{
    return FGraphic ? FGraphic->Height() : 0;
}

void TPicture::LoadFromFile(const String& FileName)
{
    const String Ext = ExtractFileExt(FileName);
    const TGraphicClass Class = GetGraphicClassForExtension(Ext);
    if (!Class)
        throw EInvalidGraphic("Unknown picture file extension (" + Ext + ")");
    std::unique_ptr<TGraphic> G = NewGraphic(Class);
    G->LoadFromFile(FileName);
    Replace(std::move(G));
}

void TPicture::SaveToFile(const String& FileName)
{
    if (FGraphic)
        FGraphic->SaveToFile(FileName);
}

void TPicture::LoadFromStream(TStream* Stream)
{
    std::unique_ptr<TGraphic> G = LoadGraphicFromStream(Stream);
    if (!G) {
        // Say what was wrong with data that looked like a known format.
        const Int64 Start = Stream->Position();
        std::vector<Byte> Head = Stream->ReadBytes(std::min<Int64>(64, std::max<Int64>(Stream->Size() - Start, 0)));
        Stream->SetPosition(Start);
        const TGraphicClass Class = ClassForFormat(DetectImageFormat(Head));
        if (!Class)
            throw EInvalidGraphic("Unknown picture format");
        std::unique_ptr<TGraphic> Probe = NewGraphic(Class);
        Probe->LoadFromStream(Stream); // raises the format's own message
        throw EInvalidGraphic("Unknown picture format");
    }
    Replace(std::move(G));
}

void TPicture::SaveToStream(TStream* Stream)
{
    if (FGraphic)
        FGraphic->SaveToStream(Stream);
}

void TPicture::Assign(TPersistent* Source)
{
    if (!Source) {
        SetGraphic(nullptr);
    } else if (auto* P = dynamic_cast<TPicture*>(Source)) {
        SetGraphic(P->FGraphic.get());
    } else if (auto* G = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(G);
    } else {
        TPersistent::Assign(Source);
    }
}

void TPicture::AssignTo(TPersistent* Dest)
{
    if (auto* G = dynamic_cast<TGraphic*>(Dest)) {
        G->Assign(FGraphic.get());
        return;
    }
    TPersistent::AssignTo(Dest);
}

void TPicture::ReadData(TStream* Stream)
{
    const Byte Len = Stream->ReadByte();
    std::vector<Byte> Name = Stream->ReadBytes(Len);
    if (Name.size() != Len)
        throw EReadError("Stream read error");
    const String ClassName(Name.begin(), Name.end());
    if (ClassName.empty()) {
        Replace(nullptr);
        return;
    }
    const TClass Class = GetClass(ClassName);
    if (!Class || !Class->InheritsFrom(TGraphic::StaticClass()))
        throw EInvalidGraphic("Unknown picture class " + ClassName);
    std::unique_ptr<TGraphic> G = NewGraphic(Class);
    G->ReadData(Stream);
    Replace(std::move(G));
}

void TPicture::WriteData(TStream* Stream)
{
    const String Name = FGraphic ? FGraphic->ClassName() : String();
    Stream->WriteByte(Byte(Name.size()));
    Stream->WriteString(Name);
    if (FGraphic)
        FGraphic->WriteData(Stream);
}

void TPicture::DefineProperties(TFiler& Filer)
{
    Filer.DefineBinaryProperty(
        "Data", [this](TStream& S) { ReadData(&S); }, [this](TStream& S) { WriteData(&S); },
        FGraphic && !FGraphic->Empty());
}

} // namespace qor
