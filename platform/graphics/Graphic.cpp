#include "platform/graphics/Graphic.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StrUtils.h"

#include <algorithm>
#include <mutex>

namespace qor {

QOR_PUBLISH(TGraphic)
{
}

void TGraphic::SetWidth(Integer)
{
    throw EInvalidGraphicOperation("Cannot change the size of a " + ClassName());
}

void TGraphic::SetHeight(Integer)
{
    throw EInvalidGraphicOperation("Cannot change the size of a " + ClassName());
}

void TGraphic::SetTransparent(bool Value)
{
    if (Value != FTransparent) {
        FTransparent = Value;
        Changed(this);
    }
}

void TGraphic::SetModified(bool Value)
{
    if (Value)
        Changed(this);
    else
        FModified = false;
}

void TGraphic::Changed(TObject*)
{
    FModified = true;
    if (OnChange)
        OnChange(this);
}

void TGraphic::LoadFromFile(const String& FileName)
{
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&Stream);
}

void TGraphic::SaveToFile(const String& FileName)
{
    TFileStream Stream(FileName, fmCreate);
    SaveToStream(&Stream);
}

void TGraphic::ReadData(TStream* Stream)
{
    LoadFromStream(Stream);
}

void TGraphic::WriteData(TStream* Stream)
{
    SaveToStream(Stream);
}

bool TGraphic::Equals(TGraphic* Other)
{
    if (!Other || Other->ClassType() != ClassType())
        return false;
    if (Empty() || Other->Empty())
        return Empty() == Other->Empty();
    TBytesStream A, B;
    WriteData(&A);
    Other->WriteData(&B);
    return A.Bytes() == B.Bytes();
}

void TGraphic::DefineProperties(TFiler& Filer)
{
    Filer.DefineBinaryProperty(
        "Data", [this](TStream& S) { ReadData(&S); }, [this](TStream& S) { WriteData(&S); }, !Empty());
}

// ---- file formats ------------------------------------------------------------------------------

namespace {

struct TFileFormat {
    String Extension;   // lower case, no dot
    String Description;
    TGraphicClass GraphicClass;
};

std::mutex& FormatsLock()
{
    static std::mutex M;
    return M;
}

std::vector<TFileFormat>& Formats()
{
    static std::vector<TFileFormat> List;
    return List;
}

String NormalExtension(const String& Extension)
{
    String E = Extension;
    if (!E.empty() && E[0] == '.')
        E.erase(0, 1);
    return LowerCase(E);
}

bool Descends(TGraphicClass C, TGraphicClass Base)
{
    return C && Base && C->InheritsFrom(Base);
}

} // namespace

void RegisterFileFormat(const String& Extension, const String& Description, TGraphicClass GraphicClass)
{
    std::lock_guard<std::mutex> Guard(FormatsLock());
    const String E = NormalExtension(Extension);
    auto& L = Formats();
    L.erase(std::remove_if(L.begin(), L.end(), [&](const TFileFormat& F) { return F.Extension == E; }), L.end());
    L.push_back({E, Description, GraphicClass});
}

void UnregisterGraphicClass(TGraphicClass GraphicClass)
{
    std::lock_guard<std::mutex> Guard(FormatsLock());
    auto& L = Formats();
    L.erase(std::remove_if(L.begin(), L.end(), [&](const TFileFormat& F) { return F.GraphicClass == GraphicClass; }),
            L.end());
}

TGraphicClass GetGraphicClassForExtension(const String& Extension)
{
    std::lock_guard<std::mutex> Guard(FormatsLock());
    const String E = NormalExtension(Extension);
    for (const TFileFormat& F : Formats())
        if (F.Extension == E)
            return F.GraphicClass;
    return nullptr;
}

String GraphicExtension(TGraphicClass GraphicClass)
{
    std::lock_guard<std::mutex> Guard(FormatsLock());
    for (const TFileFormat& F : Formats())
        if (F.GraphicClass == GraphicClass)
            return F.Extension;
    return {};
}

String GraphicFileMask(TGraphicClass GraphicClass)
{
    std::lock_guard<std::mutex> Guard(FormatsLock());
    String Mask;
    for (const TFileFormat& F : Formats()) {
        if (!Descends(F.GraphicClass, GraphicClass))
            continue;
        if (!Mask.empty())
            Mask += ';';
        Mask += "*." + F.Extension;
    }
    return Mask;
}

String GraphicFilter(TGraphicClass GraphicClass)
{
    const String All = GraphicFileMask(GraphicClass);
    std::lock_guard<std::mutex> Guard(FormatsLock());
    String Filter;
    Integer Count = 0;
    for (const TFileFormat& F : Formats()) {
        if (!Descends(F.GraphicClass, GraphicClass))
            continue;
        Filter += "|" + F.Description + " (*." + F.Extension + ")|*." + F.Extension;
        ++Count;
    }
    if (Count > 1)
        Filter = "All (" + All + ")|" + All + Filter;
    else if (!Filter.empty())
        Filter.erase(0, 1);
    return Filter;
}

std::unique_ptr<TGraphic> NewGraphic(TGraphicClass GraphicClass)
{
    if (!GraphicClass || !GraphicClass->InheritsFrom(TGraphic::StaticClass()) || !GraphicClass->NewObject)
        throw EInvalidGraphic("Cannot create a graphic of class " + (GraphicClass ? GraphicClass->Name : String("nil")));
    return std::unique_ptr<TGraphic>(static_cast<TGraphic*>(GraphicClass->NewObject()));
}

} // namespace qor
