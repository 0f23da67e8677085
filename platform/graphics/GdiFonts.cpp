// Font resolution and realization: face names to installed families, em sizes, metrics and
// integer per-character advances (no kerning), cached per font and size.

#include "platform/graphics/Gdi.h"
#include "platform/graphics/internal/GdiObjects.h"
#include "platform/rtl/QtHost.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QRawFont>
#include <QString>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <mutex>

namespace qor {

namespace {

String Lower(const String& S)
{
    String r = S;
    for (char& c : r)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

// Faces the system's reports name, mapped to the metric-compatible faces we ship with.
const std::map<String, String>& FaceMap()
{
    static const std::map<String, String> m = {
        {"arial", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"ms sans serif", "Liberation Sans"},
        {"microsoft sans serif", "Liberation Sans"},
        {"ms shell dlg", "Liberation Sans"},
        {"ms shell dlg 2", "Liberation Sans"},
        {"tahoma", "Liberation Sans"},
        {"segoe ui", "Liberation Sans"},
        {"system", "Liberation Sans"},
        {"small fonts", "Liberation Sans"},
        {"arial narrow", "Liberation Sans Narrow"},
        {"times new roman", "Liberation Serif"},
        {"times", "Liberation Serif"},
        {"ms serif", "Liberation Serif"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
        {"lucida console", "Liberation Mono"},
        {"consolas", "Liberation Mono"},
        {"fixedsys", "Liberation Mono"},
        {"terminal", "Liberation Mono"},
        {"verdana", "DejaVu Sans"},
    };
    return m;
}

const std::vector<String>& InstalledFamilies()
{
    static const std::vector<String> families = [] {
        EnsureQtApplication();
        std::vector<String> v;
        for (const QString& f : QFontDatabase::families())
            v.push_back(f.toStdString());
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
        return v;
    }();
    return families;
}

String ResolveFamily(const String& Face, Byte PitchAndFamily)
{
    const String key = Lower(Face);
    auto it = FaceMap().find(key);
    if (it != FaceMap().end())
        return it->second;
    for (const String& f : InstalledFamilies())
        if (Lower(f) == key)
            return f;
    if ((PitchAndFamily & 0x03) == FIXED_PITCH || (PitchAndFamily & 0xF0) == FF_MODERN)
        return "DejaVu Sans Mono";
    if ((PitchAndFamily & 0xF0) == FF_ROMAN)
        return "DejaVu Serif";
    return "DejaVu Sans";
}

QFont MakeQFont(const String& Family, Integer Em, const LOGFONT& Log)
{
    QFont f(QString::fromStdString(Family));
    f.setPixelSize(std::max<Integer>(Em, 1));
    Integer w = Log.lfWeight <= 0 ? FW_NORMAL : std::clamp<Integer>(Log.lfWeight, 100, 900);
    f.setWeight(QFont::Weight(w));
    f.setItalic(Log.lfItalic != 0);
    f.setKerning(false);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
    return f;
}

QRawFont MakeRaw(const String& Family, Integer Em, const LOGFONT& Log)
{
    EnsureQtApplication();
    QRawFont raw = QRawFont::fromFont(MakeQFont(Family, Em, Log));
    if (!raw.isValid())
        raw = QRawFont::fromFont(MakeQFont("DejaVu Sans", Em, Log));
    return raw;
}

// The family fontconfig names for a character no face at hand has ("" for none).
String FallbackFamily(char32_t C)
{
    static std::mutex lock;
    static std::map<char32_t, String> known;
    std::lock_guard<std::mutex> g(lock);
    auto it = known.find(C);
    if (it != known.end())
        return it->second;
    String family;
    FcPattern* p = FcPatternCreate();
    FcCharSet* cs = FcCharSetCreate();
    FcCharSetAddChar(cs, FcChar32(C));
    FcPatternAddCharSet(p, FC_CHARSET, cs);
    FcPatternAddBool(p, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result = FcResultNoMatch;
    if (FcPattern* found = FcFontMatch(nullptr, p, &result)) {
        FcChar8* name = nullptr;
        FcCharSet* has = nullptr;
        if (FcPatternGetCharSet(found, FC_CHARSET, 0, &has) == FcResultMatch && FcCharSetHasChar(has, FcChar32(C)) &&
            FcPatternGetString(found, FC_FAMILY, 0, &name) == FcResultMatch && name)
            family = reinterpret_cast<const char*>(name);
        FcPatternDestroy(found);
    }
    FcPatternDestroy(p);
    FcCharSetDestroy(cs);
    known.emplace(C, family);
    return family;
}

// (ascent + descent) / em of a family and style, for cell heights.
Double CellRatio(const String& Family, const LOGFONT& Log)
{
    static std::map<String, Double> cache;
    String key = Family + "|" + std::to_string(Log.lfWeight >= 600) + std::to_string(Log.lfItalic != 0);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    QRawFont raw = MakeRaw(Family, 1000, Log);
    Double r = raw.isValid() ? (raw.ascent() + raw.descent()) / 1000.0 : 1.15;
    if (r <= 0.1)
        r = 1.15;
    cache[key] = r;
    return r;
}

} // namespace

String ResolveFontFamily(const String& FaceName) { return ResolveFamily(FaceName, 0); }

std::vector<String> GetFontFamilies() { return InstalledFamilies(); }

namespace gdi {

Integer EmPixelsFor(const LOGFONT& Log, Integer DeviceHeight, bool FakeMetrics)
{
    if (DeviceHeight < 0)
        return -DeviceHeight;
    if (DeviceHeight == 0)
        DeviceHeight = 16;
    if (FakeMetrics)
        return DeviceHeight;
    Double ratio = CellRatio(ResolveFamily(FaceNameOf(Log), Log.lfPitchAndFamily), Log);
    return std::max<Integer>(1, Integer(Round(DeviceHeight / ratio)));
}

TFontInstance::TFontInstance(const LOGFONT& Log, Integer EmPixels, bool FakeMetrics)
    : FEm(std::max<Integer>(EmPixels, 1)), FFake(FakeMetrics), FLog(Log), FLatin(0x250)
{
    TEXTMETRIC& m = FMetrics;
    m.tmWeight = Log.lfWeight <= 0 ? FW_NORMAL : Log.lfWeight;
    m.tmItalic = Log.lfItalic ? 1 : 0;
    m.tmUnderlined = Log.lfUnderline ? 1 : 0;
    m.tmStruckOut = Log.lfStrikeOut ? 1 : 0;
    m.tmCharSet = Log.lfCharSet;
    m.tmFirstChar = 0x20;
    m.tmLastChar = 0xFFFC;
    m.tmDefaultChar = 0x1F;
    m.tmBreakChar = 0x20;
    m.tmDigitizedAspectX = 96;
    m.tmDigitizedAspectY = 96;
    if (FFake) {
        FFamily = FaceNameOf(Log);
        m.tmAscent = MulDiv(FEm, 8, 10);
        m.tmDescent = FEm - m.tmAscent;
        m.tmHeight = FEm;
        m.tmAveCharWidth = MulDiv(FEm, 1, 2);
        m.tmMaxCharWidth = m.tmAveCharWidth;
        m.tmPitchAndFamily = Log.lfPitchAndFamily;
        FUnderlinePos = std::max<Integer>(1, m.tmDescent / 2);
        FStrikePos = m.tmAscent / 3;
        FLineThickness = std::max<Integer>(1, FEm / 14);
        return;
    }
    FFamily = ResolveFamily(FaceNameOf(Log), Log.lfPitchAndFamily);
    FRaw = std::make_unique<QRawFont>(MakeRaw(FFamily, FEm, Log));
    const QRawFont& raw = *FRaw;
    m.tmAscent = Integer(std::ceil(raw.ascent() - 0.01));
    m.tmDescent = Integer(std::ceil(raw.descent() - 0.01));
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmInternalLeading = std::max<Integer>(0, m.tmHeight - FEm);
    m.tmExternalLeading = std::max<Integer>(0, Integer(Round(raw.leading())));
    m.tmAveCharWidth = Advance(U'x');
    m.tmMaxCharWidth = std::max<Integer>(Integer(std::ceil(raw.maxCharWidth())), m.tmAveCharWidth);
    // Bit 0 set means a variable-pitch font; 4: an outline (TrueType-like) font.
    m.tmPitchAndFamily = Byte((Advance(U'i') != Advance(U'W') ? 1 : 0) | 4 | (Log.lfPitchAndFamily & 0xF0));
    QFontMetricsF fm(MakeQFont(FFamily, FEm, Log));
    FLineThickness = std::max<Integer>(1, Integer(Round(raw.lineThickness())));
    FUnderlinePos = std::max<Integer>(1, Integer(Round(raw.underlinePosition())));
    FStrikePos = std::max<Integer>(1, Integer(Round(fm.strikeOutPos())));
}

TFontInstance::~TFontInstance() = default;

TFontInstance::TCharInfo& TFontInstance::Info(char32_t C)
{
    TCharInfo* info;
    if (C < FLatin.size())
        info = &FLatin[C];
    else
        info = &FOther[C];
    if (info->Advance >= 0)
        return *info;
    if (FFake) {
        info->Advance = MulDiv(FEm, 1, 2);
        info->Glyph = C;
        return *info;
    }
    const QString text = QString::fromUcs4(&C, 1);
    QList<quint32> glyphs = FRaw->glyphIndexesForString(text);
    info->Glyph = glyphs.isEmpty() ? 0 : glyphs.first();
    QRawFont* face = FRaw.get();
    if (info->Glyph == 0 && C >= 0x20) {
        for (const String& family : {String("DejaVu Sans"), FallbackFamily(C)}) {
            if (family.empty() || family == FFamily)
                continue;
            auto known = std::find(FFallbackFamilies.begin(), FFallbackFamilies.end(), family);
            if (known == FFallbackFamilies.end()) {
                FFallbacks.push_back(std::make_unique<QRawFont>(MakeRaw(family, FEm, FLog)));
                FFallbackFamilies.push_back(family);
                known = FFallbackFamilies.end() - 1;
            }
            QRawFont* fb = FFallbacks[std::size_t(known - FFallbackFamilies.begin())].get();
            QList<quint32> g = fb->isValid() ? fb->glyphIndexesForString(text) : QList<quint32>();
            if (!g.isEmpty() && g.first() != 0) {
                info->Glyph = g.first();
                info->Face = int(known - FFallbackFamilies.begin()) + 1;
                face = fb;
                break;
            }
        }
    }
    QList<QPointF> adv = face->advancesForGlyphIndexes(QList<quint32>{info->Glyph});
    info->Advance = adv.isEmpty() ? 0 : std::max<Integer>(0, Integer(Round(adv.first().x())));
    return *info;
}

Integer TFontInstance::Advance(char32_t C) { return Info(C).Advance; }

std::uint32_t TFontInstance::Glyph(char32_t C, int* FaceIndex)
{
    TCharInfo& info = Info(C);
    if (FaceIndex)
        *FaceIndex = info.Face;
    return info.Glyph;
}

std::shared_ptr<TFontInstance> RealizeFont(const LOGFONT& Log, Integer EmPixels, bool FakeMetrics)
{
    static std::map<String, std::shared_ptr<TFontInstance>> cache;
    static std::mutex lock;
    String key = FaceNameOf(Log);
    key += '|';
    key += std::to_string(EmPixels) + '|' + std::to_string(Log.lfWeight) + '|' + std::to_string(Log.lfItalic != 0) +
           std::to_string(Log.lfUnderline != 0) + std::to_string(Log.lfStrikeOut != 0) + '|' +
           std::to_string(Log.lfPitchAndFamily) + '|' + std::to_string(Log.lfCharSet) + (FakeMetrics ? "|f" : "|r");
    std::lock_guard<std::mutex> g(lock);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    auto inst = std::make_shared<TFontInstance>(Log, EmPixels, FakeMetrics);
    if (cache.size() > 2000)
        cache.clear();
    cache.emplace(key, inst);
    return inst;
}

} // namespace gdi

} // namespace qor
