// The faces of a PDF document: found and fallen back through fontconfig, text shaped by HarfBuzz
// where the script needs it and put in visual order by FriBidi, and each face embedded as a subset
// (HarfBuzz's subsetter) with its widths and a map from glyphs back to text.

#include "platform/graphics/internal/PdfDocument.h"

#include <fontconfig/fontconfig.h>
#include <fribidi.h>
#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace qor::gdi::pdf {

namespace {

// Scripts whose letters join, reorder or combine, and right-to-left text: such runs are shaped.
bool NeedsShapingChar(char32_t C)
{
    return (C >= 0x0590 && C <= 0x08FF) || (C >= 0x0900 && C <= 0x0DFF) || (C >= 0x0E00 && C <= 0x0EFF) ||
           (C >= 0x0F00 && C <= 0x109F) || (C >= 0x1780 && C <= 0x18AF) || (C >= 0x200E && C <= 0x200F) ||
           (C >= 0x202A && C <= 0x202E) || (C >= 0x2066 && C <= 0x2069) || (C >= 0xFB1D && C <= 0xFDFF) ||
           (C >= 0xFE70 && C <= 0xFEFF) || (C >= 0x10800 && C <= 0x10FFF) || (C >= 0x1E800 && C <= 0x1EFFF);
}

bool Drawn(char32_t C) { return C >= 0x20 && C != 0x7F; }

std::string PdfName(const std::string& S)
{
    std::string out;
    for (char c : S)
        if (c > 0x20 && c < 0x7F && !std::strchr("()<>[]{}/%#", c))
            out += c;
    return out.empty() ? "Font" : out;
}

void AppendHex4(std::string& Out, unsigned V)
{
    static const char Hex[] = "0123456789ABCDEF";
    for (int s = 12; s >= 0; s -= 4)
        Out += Hex[(V >> s) & 15];
}

void AppendUtf16(std::string& Out, const std::u32string& Text)
{
    for (char32_t c : Text) {
        if (c >= 0x10000) {
            AppendHex4(Out, 0xD800 + unsigned((c - 0x10000) >> 10));
            AppendHex4(Out, 0xDC00 + unsigned((c - 0x10000) & 0x3FF));
        } else
            AppendHex4(Out, unsigned(c));
    }
}

} // namespace

struct TPdfFonts::TFace {
    String File;
    int Index = 0;
    hb_blob_t* Blob = nullptr;
    hb_face_t* Face = nullptr;
    hb_font_t* Font = nullptr;
    unsigned Upem = 1000;
    unsigned GlyphCount = 0;
    bool Fallback = false; // found for characters another face lacks
    std::string Name;
    std::vector<std::int32_t> Latin; // glyphs of code points below 0x250 (-1: not looked up)
    std::unordered_map<char32_t, std::uint32_t> Other;
    std::vector<float> Widths; // thousandths of an em (-1: not used yet)
    std::unordered_map<std::uint32_t, std::u32string> Text;

    ~TFace()
    {
        hb_font_destroy(Font);
        hb_face_destroy(Face);
        hb_blob_destroy(Blob);
    }
    // The glyph of C (0 when the face has none).
    std::uint32_t Glyph(char32_t C)
    {
        if (C < Latin.size() && Latin[C] >= 0)
            return std::uint32_t(Latin[C]);
        if (C >= Latin.size()) {
            auto it = Other.find(C);
            if (it != Other.end())
                return it->second;
        }
        hb_codepoint_t g = 0;
        if (!hb_font_get_nominal_glyph(Font, C, &g))
            g = 0;
        if (C < Latin.size())
            Latin[C] = std::int32_t(g);
        else
            Other.emplace(C, g);
        return g;
    }
    double Width(std::uint32_t G)
    {
        if (G >= Widths.size())
            return 0;
        float& w = Widths[G];
        if (w < 0)
            w = float(std::round(hb_font_get_glyph_h_advance(Font, G) * 10000.0 / Upem) / 10.0);
        return w;
    }
    // Marks G used, standing for T (the first text a glyph stands for is kept).
    void Map(std::uint32_t G, const std::u32string& T)
    {
        if (G >= Widths.size())
            return;
        const bool used = Widths[G] >= 0;
        Width(G);
        if (!T.empty() && (!used || !Text.count(G)))
            Text.emplace(G, T);
    }
    void Map(std::uint32_t G, char32_t C)
    {
        if (G < Widths.size() && Widths[G] < 0)
            Map(G, std::u32string(1, C));
    }
};

struct TPdfFonts::TImpl {
    std::vector<std::unique_ptr<TFace>> Faces;
    std::unordered_map<String, int> ByKey, ByFile;
    std::unordered_map<char32_t, int> FallbackFor; // code point -> face (-1: none has it)
    hb_buffer_t* Buffer = nullptr;

    ~TImpl() { hb_buffer_destroy(Buffer); }

    int Open(const String& File, int Index)
    {
        const String key = File + '|' + std::to_string(Index);
        auto it = ByFile.find(key);
        if (it != ByFile.end())
            return it->second;
        hb_blob_t* blob = hb_blob_create_from_file_or_fail(File.c_str());
        if (!blob)
            return ByFile[key] = -1;
        auto face = std::make_unique<TFace>();
        face->File = File;
        face->Index = Index;
        face->Blob = blob;
        face->Face = hb_face_create(blob, unsigned(Index));
        face->Font = hb_font_create(face->Face);
        face->Upem = std::max(1u, hb_face_get_upem(face->Face));
        hb_font_set_scale(face->Font, int(face->Upem), int(face->Upem));
        face->GlyphCount = hb_face_get_glyph_count(face->Face);
        if (face->GlyphCount == 0)
            return ByFile[key] = -1;
        face->Latin.assign(0x250, -1);
        face->Widths.assign(face->GlyphCount, -1.0f);
        face->Name = "F" + std::to_string(Faces.size());
        Faces.push_back(std::move(face));
        return ByFile[key] = int(Faces.size() - 1);
    }

    // The face fontconfig matches for Pattern (destroyed here), or -1.
    int Match(FcPattern* Pattern)
    {
        FcConfigSubstitute(nullptr, Pattern, FcMatchPattern);
        FcDefaultSubstitute(Pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* found = FcFontMatch(nullptr, Pattern, &result);
        FcPatternDestroy(Pattern);
        if (!found)
            return -1;
        FcChar8* file = nullptr;
        int index = 0;
        int face = -1;
        if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && file) {
            FcPatternGetInteger(found, FC_INDEX, 0, &index);
            face = Open(reinterpret_cast<const char*>(file), index);
        }
        FcPatternDestroy(found);
        return face;
    }

    // A face with a glyph for C when Primary has none: one already in use, else fontconfig's.
    int FallbackOf(int Primary, char32_t C)
    {
        auto it = FallbackFor.find(C);
        if (it != FallbackFor.end())
            return it->second;
        int face = -1;
        for (std::size_t i = 0; i < Faces.size() && face < 0; ++i)
            if (Faces[i]->Fallback && Faces[i]->Glyph(C))
                face = int(i);
        if (face < 0) {
            FcPattern* p = FcPatternCreate();
            FcCharSet* cs = FcCharSetCreate();
            FcCharSetAddChar(cs, FcChar32(C));
            FcPatternAddCharSet(p, FC_CHARSET, cs);
            FcPatternAddBool(p, FC_SCALABLE, FcTrue);
            (void)Primary;
            face = Match(p);
            FcCharSetDestroy(cs);
            if (face >= 0 && !Faces[std::size_t(face)]->Glyph(C))
                face = -1;
            if (face >= 0 && face != Primary)
                Faces[std::size_t(face)]->Fallback = true;
        }
        FallbackFor.emplace(C, face);
        return face;
    }

    // The face and glyph that draw C: Primary's, a fallback's, or Primary's missing glyph.
    std::pair<int, std::uint32_t> Pick(int Primary, char32_t C)
    {
        if (std::uint32_t g = Faces[std::size_t(Primary)]->Glyph(C))
            return {Primary, g};
        const int f = FallbackOf(Primary, C);
        if (f >= 0)
            return {f, Faces[std::size_t(f)]->Glyph(C)};
        return {Primary, 0};
    }
};

TPdfFonts::TPdfFonts() : FImpl(std::make_unique<TImpl>()) { FcInit(); }
TPdfFonts::~TPdfFonts() = default;

int TPdfFonts::FaceFor(const String& Family, Integer Weight, bool Italic)
{
    const String key = Family + '|' + std::to_string(Weight) + (Italic ? "|i" : "|r");
    auto it = FImpl->ByKey.find(key);
    if (it != FImpl->ByKey.end())
        return it->second;
    FcPattern* p = FcPatternCreate();
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(Family.c_str()));
    FcPatternAddInteger(p, FC_WEIGHT, FcWeightFromOpenType(int(Weight <= 0 ? 400 : std::clamp<Integer>(Weight, 1, 1000))));
    FcPatternAddInteger(p, FC_SLANT, Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(p, FC_SCALABLE, FcTrue);
    const int face = FImpl->Match(p);
    FImpl->ByKey.emplace(key, face);
    return face;
}

double TPdfFonts::Width(int Face, std::uint32_t Glyph) { return FImpl->Faces[std::size_t(Face)]->Width(Glyph); }

const std::string& TPdfFonts::Name(int Face) { return FImpl->Faces[std::size_t(Face)]->Name; }

const String& TPdfFonts::File(int Face, int* Index)
{
    const TFace& f = *FImpl->Faces[std::size_t(Face)];
    if (Index)
        *Index = f.Index;
    return f.File;
}

bool NeedsShaping(const std::u32string& Cps) { return std::any_of(Cps.begin(), Cps.end(), NeedsShapingChar); }

void TPdfFonts::Layout(int Face, double Em, const std::u32string& Cps, const std::vector<Integer>& Adv,
                       std::vector<TPlacedGlyph>& Out)
{
    TImpl& m = *FImpl;
    const bool shape = NeedsShaping(Cps);
    if (!shape) {
        // Glyph by glyph at the advances the line was laid out with, as the page's picture has it.
        double x = 0;
        for (std::size_t i = 0; i < Cps.size(); ++i) {
            const char32_t c = Cps[i];
            if (Drawn(c)) {
                auto [face, glyph] = m.Pick(Face, c);
                m.Faces[std::size_t(face)]->Map(glyph, c);
                Out.push_back({face, glyph, x, 0});
            }
            x += Adv[i];
        }
        return;
    }
    // The embedding levels of the line, then runs of one level and one face in logical order.
    const FriBidiStrIndex n = FriBidiStrIndex(Cps.size());
    std::vector<FriBidiCharType> types(Cps.size());
    std::vector<FriBidiBracketType> brackets(Cps.size());
    std::vector<FriBidiLevel> levels(Cps.size());
    const FriBidiChar* text = reinterpret_cast<const FriBidiChar*>(Cps.data());
    fribidi_get_bidi_types(text, n, types.data());
    fribidi_get_bracket_types(text, n, types.data(), brackets.data());
    FriBidiParType base = FRIBIDI_PAR_ON;
    if (!fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), n, &base, levels.data()))
        std::fill(levels.begin(), levels.end(), FriBidiLevel(0));
    std::vector<int> faces(Cps.size());
    for (std::size_t i = 0; i < Cps.size(); ++i) {
        // Marks and joiners stay with the face of the letter before them.
        const bool follows = i > 0 && (hb_unicode_general_category(hb_unicode_funcs_get_default(), Cps[i]) ==
                                           HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK ||
                                       !Drawn(Cps[i]));
        faces[i] = follows ? faces[i - 1] : m.Pick(Face, Cps[i]).first;
    }
    struct TRun {
        std::size_t From, To;
        FriBidiLevel Level;
        int Face;
    };
    std::vector<TRun> runs;
    for (std::size_t i = 0; i < Cps.size(); ++i) {
        if (runs.empty() || runs.back().Level != levels[i] || runs.back().Face != faces[i])
            runs.push_back({i, i + 1, levels[i], faces[i]});
        else
            runs.back().To = i + 1;
    }
    // Visual order: from the highest level down to the lowest odd one, every sequence of runs at
    // that level or above is reversed.
    int high = 0, lowOdd = 255;
    for (const TRun& r : runs) {
        high = std::max(high, int(r.Level));
        if (r.Level & 1)
            lowOdd = std::min(lowOdd, int(r.Level));
    }
    for (int level = high; level >= lowOdd && level > 0; --level)
        for (std::size_t i = 0; i < runs.size();) {
            if (runs[i].Level < level) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < runs.size() && runs[j].Level >= level)
                ++j;
            std::reverse(runs.begin() + std::ptrdiff_t(i), runs.begin() + std::ptrdiff_t(j));
            i = j;
        }
    if (!m.Buffer)
        m.Buffer = hb_buffer_create();
    double x = 0;
    for (const TRun& r : runs) {
        TFace& face = *m.Faces[std::size_t(r.Face)];
        hb_buffer_t* buf = m.Buffer;
        hb_buffer_reset(buf);
        hb_buffer_add_utf32(buf, reinterpret_cast<const std::uint32_t*>(Cps.data()), int(Cps.size()),
                            unsigned(r.From), int(r.To - r.From));
        hb_buffer_set_direction(buf, (r.Level & 1) ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        hb_buffer_set_flags(buf, hb_buffer_flags_t(HB_BUFFER_FLAG_REMOVE_DEFAULT_IGNORABLES));
        hb_buffer_guess_segment_properties(buf);
        hb_shape(face.Font, buf, nullptr, 0);
        unsigned count = 0;
        const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &count);
        const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buf, nullptr);
        const double scale = Em / face.Upem;
        std::vector<bool> mapped(r.To - r.From, false);
        for (unsigned k = 0; k < count; ++k) {
            const std::size_t cluster = info[k].cluster;
            // The text of a cluster runs to the next cluster in logical order.
            std::size_t end = r.To;
            for (unsigned q = 0; q < count; ++q)
                if (info[q].cluster > cluster && info[q].cluster < end)
                    end = info[q].cluster;
            std::u32string t;
            if (cluster >= r.From && cluster < r.To && !mapped[cluster - r.From]) {
                mapped[cluster - r.From] = true;
                for (std::size_t c = cluster; c < end; ++c)
                    if (Drawn(Cps[c]))
                        t += Cps[c];
            }
            face.Map(info[k].codepoint, t);
            Out.push_back({r.Face, info[k].codepoint, x + pos[k].x_offset * scale, -pos[k].y_offset * scale});
            x += pos[k].x_advance * scale;
        }
    }
}

std::string TPdfFonts::Write(TPdfDocument& Doc)
{
    std::string entries;
    for (const auto& fp : FImpl->Faces) {
        TFace& f = *fp;
        std::vector<std::uint32_t> used;
        for (std::uint32_t g = 0; g < f.Widths.size(); ++g)
            if (f.Widths[g] >= 0)
                used.push_back(g);
        if (used.empty())
            continue;
        // The subset keeps the glyphs' numbers, so the page streams' codes stay the glyph numbers.
        hb_subset_input_t* input = hb_subset_input_create_or_fail();
        if (!input)
            continue;
        hb_set_t* glyphs = hb_subset_input_glyph_set(input);
        hb_set_add(glyphs, 0);
        for (std::uint32_t g : used)
            hb_set_add(glyphs, g);
        hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NO_HINTING);
        hb_set_t* drop = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
        for (const char* tag : {"GSUB", "GPOS", "GDEF", "BASE", "JSTF", "MATH", "kern", "morx", "mort", "kerx",
                                "DSIG", "vhea", "vmtx", "VORG", "gasp", "hdmx", "LTSH", "VDMX", "PCLT"})
            hb_set_add(drop, hb_tag_from_string(tag, 4));
        hb_face_t* subset = hb_subset_or_fail(f.Face, input);
        hb_subset_input_destroy(input);
        if (!subset)
            continue;
        hb_blob_t* blob = hb_face_reference_blob(subset);
        unsigned length = 0;
        const char* data = hb_blob_get_data(blob, &length);
        hb_blob_t* cff = hb_face_reference_table(f.Face, HB_TAG('C', 'F', 'F', ' '));
        const bool isCff = hb_blob_get_length(cff) > 0;
        hb_blob_destroy(cff);

        char psName[128] = {0};
        unsigned psLength = sizeof psName;
        hb_ot_name_get_utf8(f.Face, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &psLength, psName);
        // A subset is named with six capitals before its face's name.
        std::size_t h = std::hash<std::string>()(f.Name + f.File);
        for (std::uint32_t g : used)
            h = h * 31 + g;
        std::string tag;
        for (int i = 0; i < 6; ++i, h /= 26)
            tag += char('A' + h % 26);
        const std::string baseFont = tag + "+" + PdfName(psName);

        const int fileNumber = Doc.Reserve();
        Doc.WriteStream(fileNumber,
                        isCff ? std::string("/Subtype /OpenType")
                              : "/Length1 " + std::to_string(length),
                        std::string_view(data, length));
        hb_blob_destroy(blob);
        hb_face_destroy(subset);

        std::string box = "[-1000 -500 2000 1500]";
        hb_blob_t* head = hb_face_reference_table(f.Face, HB_TAG('h', 'e', 'a', 'd'));
        unsigned headLength = 0;
        const auto* hd = reinterpret_cast<const unsigned char*>(hb_blob_get_data(head, &headLength));
        if (headLength >= 44) {
            auto s16 = [&](int At) { return double(std::int16_t((hd[At] << 8) | hd[At + 1])) * 1000.0 / f.Upem; };
            box = "[";
            for (int at : {36, 38, 40, 42}) {
                AppendNumber(box, std::round(s16(at)));
                box += ' ';
            }
            box.back() = ']';
        }
        hb_blob_destroy(head);
        hb_position_t ascent = 0, descent = 0, cap = 0;
        hb_ot_metrics_get_position(f.Font, HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &ascent);
        hb_ot_metrics_get_position(f.Font, HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &descent);
        if (!hb_ot_metrics_get_position(f.Font, HB_OT_METRICS_TAG_CAP_HEIGHT, &cap))
            cap = ascent;
        auto em = [&](hb_position_t V) { return std::to_string(std::lround(V * 1000.0 / f.Upem)); };
        const int descriptor = Doc.Reserve();
        Doc.WriteObject(descriptor, "<</Type /FontDescriptor /FontName /" + baseFont + " /Flags 4 /FontBBox " + box +
                                        " /ItalicAngle 0 /Ascent " + em(ascent) + " /Descent " + em(descent) +
                                        " /CapHeight " + em(cap) + " /StemV 80 " +
                                        (isCff ? "/FontFile3 " : "/FontFile2 ") + std::to_string(fileNumber) +
                                        " 0 R>>");
        // Widths: runs of consecutive glyphs share one array.
        std::string w = "[";
        for (std::size_t i = 0; i < used.size();) {
            std::size_t j = i + 1;
            while (j < used.size() && used[j] == used[j - 1] + 1)
                ++j;
            AppendInteger(w, used[i]);
            w += " [";
            for (std::size_t k = i; k < j; ++k) {
                AppendNumber(w, f.Widths[used[k]]);
                w += ' ';
            }
            w.back() = ']';
            w += ' ';
            i = j;
        }
        w.back() = ']';
        const int cid = Doc.Reserve();
        Doc.WriteObject(cid, std::string("<</Type /Font /Subtype ") + (isCff ? "/CIDFontType0" : "/CIDFontType2") +
                                 " /BaseFont /" + baseFont +
                                 " /CIDSystemInfo <</Registry (Adobe) /Ordering (Identity) /Supplement 0>>"
                                 " /FontDescriptor " +
                                 std::to_string(descriptor) + " 0 R /DW 1000 /W " + w +
                                 (isCff ? "" : " /CIDToGIDMap /Identity") + ">>");
        // The map from glyphs back to the text they stand for.
        std::vector<std::pair<std::uint32_t, const std::u32string*>> text;
        for (const auto& [g, t] : f.Text)
            text.emplace_back(g, &t);
        std::sort(text.begin(), text.end());
        std::string cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                           "/CIDSystemInfo <</Registry (Adobe) /Ordering (UCS) /Supplement 0>> def\n"
                           "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                           "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
        for (std::size_t i = 0; i < text.size(); i += 100) {
            const std::size_t n = std::min<std::size_t>(100, text.size() - i);
            cmap += std::to_string(n) + " beginbfchar\n";
            for (std::size_t k = i; k < i + n; ++k) {
                cmap += '<';
                AppendHex4(cmap, text[k].first);
                cmap += "> <";
                AppendUtf16(cmap, *text[k].second);
                cmap += ">\n";
            }
            cmap += "endbfchar\n";
        }
        cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
        const int toUnicode = Doc.Reserve();
        Doc.WriteStream(toUnicode, "", cmap);
        const int font = Doc.Reserve();
        Doc.WriteObject(font, "<</Type /Font /Subtype /Type0 /BaseFont /" + baseFont +
                                  " /Encoding /Identity-H /DescendantFonts [" + std::to_string(cid) +
                                  " 0 R] /ToUnicode " + std::to_string(toUnicode) + " 0 R>>");
        entries += " /" + f.Name + " " + std::to_string(font) + " 0 R";
    }
    return entries;
}

} // namespace qor::gdi::pdf
