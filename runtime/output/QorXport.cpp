#include "runtime/output/QorXport.h"

#include "platform/rtl/TypeInfo.h"

#include <algorithm>
#include <memory>

namespace qor {

QOR_PUBLISH(TQorExportFilter)
{
    b.Property("Active", &TQorExportFilter::Active, &TQorExportFilter::SetActive).Default(true);
    b.Property("DisplayName", &TQorExportFilter::DisplayName, &TQorExportFilter::SetDisplayName).Default("");
    b.Property("FileExtension", &TQorExportFilter::FileExtension, &TQorExportFilter::SetFileExtension).Default("");
    b.Property("IsGraphicExport", &TQorExportFilter::IsGraphicExport, &TQorExportFilter::SetIsGraphicExport)
        .Default(false);
}

namespace {

std::unique_ptr<std::vector<TQorExportFilter*>>& Registry()
{
    static std::unique_ptr<std::vector<TQorExportFilter*>> List;
    return List;
}

[[noreturn]] void Abstract() { throw EAbstractError("Abstract Error"); }

} // namespace

const std::vector<TQorExportFilter*>* ExportFiltersList() { return Registry().get(); }

void RegisterQorFilter(TQorExportFilter* Filter)
{
    auto& List = Registry();
    if (!List)
        List = std::make_unique<std::vector<TQorExportFilter*>>();
    if (std::find(List->begin(), List->end(), Filter) == List->end())
        List->push_back(Filter);
}

void UnRegisterQorFilter(TQorExportFilter* Filter)
{
    auto& List = Registry();
    if (!List)
        return;
    std::erase(*List, Filter);
    if (List->empty())
        List.reset();
}

TQorExportFilter::TQorExportFilter(TComponent* AOwner) : TComponent(AOwner) { SetActive(true); }

TQorExportFilter::~TQorExportFilter() { UnRegisterQorFilter(this); }

void TQorExportFilter::SetActive(bool Value)
{
    if (Value)
        RegisterQorFilter(this);
    else
        UnRegisterQorFilter(this);
    FActive = Value;
}

void TQorExportFilter::GenerateToFile(TStream*, const String&, Integer) { Abstract(); }
void TQorExportFilter::GenerateToStream(TStream*, TStream*, Integer) { Abstract(); }
void TQorExportFilter::BeginDoc() { Abstract(); }
void TQorExportFilter::EndDoc() { Abstract(); }
void TQorExportFilter::BeginPage() { Abstract(); }
void TQorExportFilter::EndPage() { Abstract(); }
void TQorExportFilter::SetFont(TFont*) { Abstract(); }
void TQorExportFilter::SetLogFont(TFont*, const LOGFONT&) { Abstract(); }
void TQorExportFilter::SetPen(TPen*) { Abstract(); }
void TQorExportFilter::SetBrush(TBrush*) { Abstract(); }
void TQorExportFilter::SetTextAlign(Word) { Abstract(); }
void TQorExportFilter::Textout(Integer, Integer, const String&) { Abstract(); }
void TQorExportFilter::MoveTo(Integer, Integer) { Abstract(); }
void TQorExportFilter::LineTo(Integer, Integer) { Abstract(); }
void TQorExportFilter::PTextout(Integer, Integer, const WideChar*, Integer) { Abstract(); }
void TQorExportFilter::ExtTextout(Integer, Integer, Word, const TRect&, const WideChar*, Word) { Abstract(); }
void TQorExportFilter::TextRect(const TRect&, Integer, Integer, const String&) { Abstract(); }
void TQorExportFilter::FillRect(const TRect&) { Abstract(); }
void TQorExportFilter::Rectangle(Integer, Integer, Integer, Integer) { Abstract(); }
void TQorExportFilter::RoundRect(Integer, Integer, Integer, Integer, Integer, Integer) { Abstract(); }
void TQorExportFilter::Ellipse(Integer, Integer, Integer, Integer) { Abstract(); }
void TQorExportFilter::Draw(Integer, Integer, TGraphic*) { Abstract(); }
void TQorExportFilter::StretchDraw(const TRect&, TGraphic*) { Abstract(); }
void TQorExportFilter::DrawBitmap(Integer, Integer, TStream*) { Abstract(); }
void TQorExportFilter::StretchDrawBitmap(const TRect&, TStream*) { Abstract(); }
void TQorExportFilter::ShadeRect(const TRect&, TQorShadePercent) { Abstract(); }
void TQorExportFilter::SetBkColor(Integer) { Abstract(); }
void TQorExportFilter::TextJustify(const TRect&, Integer, Integer, const String&, bool, const TRect&) { Abstract(); }
void TQorExportFilter::RtfDraw(const TRect&, TStream*, Integer, Integer, bool) { Abstract(); }
void TQorExportFilter::DrawCheckBox(const TRect&, TQorCheckStyle, TColor, Integer) { Abstract(); }
void TQorExportFilter::DrawShapeType(TQorDrawType, Integer, Integer, Integer, Integer, Integer, Integer, Integer,
                                     Integer)
{
    Abstract();
}
void TQorExportFilter::PolyDrawType(TQorPolyType, const TPoint*, Integer) { Abstract(); }
void TQorExportFilter::Print3of9Barcode(Integer, Integer, Integer, Integer, Integer, Integer, bool, bool,
                                        const String&)
{
    Abstract();
}
void TQorExportFilter::Print2of5Barcode(Integer, Integer, Integer, Integer, Integer, Integer, bool, bool,
                                        const String&)
{
    Abstract();
}

} // namespace qor
