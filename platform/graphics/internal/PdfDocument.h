#pragma once
// Private to the graphics sources: a PDF file written object by object. Pages come in as content
// streams in device pixels and are compressed on worker threads while the next page is drawn;
// pictures are stored once per document; the fonts, the shared resources, the page tree and the
// document's information are written when it ends. Every write is checked and the first failure is
// kept with the system's reason.

#include "platform/graphics/GdiTypes.h"

#include <cstdint>
#include <cstdio>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace qor::gdi::pdf {

// Appends V to Out as PDF writes numbers: an integer where it is one, else at most three decimals.
void AppendNumber(std::string& Out, double V);
void AppendInteger(std::string& Out, long long V);
// A text string for the document's information: UTF-16BE with its byte order mark, in hex.
std::string TextString(const String& Utf8);

class TPdfFonts;
class TPageCompressor;

class TPdfDocument {
public:
    // Writes into File (opened for writing; the document closes it).
    explicit TPdfDocument(std::FILE* File);
    ~TPdfDocument();
    TPdfDocument(const TPdfDocument&) = delete;
    TPdfDocument& operator=(const TPdfDocument&) = delete;

    void SetTitle(const String& Title) { FTitle = Title; }
    TPdfFonts& Fonts() { return *FFonts; }

    // A page of Content (its drawing in pixels, with the transformation to points at its start).
    void AddPage(std::string Content, double WidthPoints, double HeightPoints);
    // The resource name of a picture (0xAARRGGBB pixels, top row first); the same pixels give the
    // same picture, stored once (while the pictures kept to compare stay within a budget).
    std::string Image(const std::vector<std::uint32_t>& Pixels, Integer Width, Integer Height);
    // The hash that finds a picture stored before; a hit is compared byte for byte. A test may give
    // one under which every picture collides.
    void SetImageHash(std::size_t (*Hash)(std::string_view Bytes)) { FImageHash = Hash; }
    // The resource name of a tiling pattern of the picture Image (Width x Height pixels) whose
    // pattern space is the page's pixel space (Matrix maps it to points).
    std::string Pattern(const std::string& Image, Integer Width, Integer Height, const std::string& Matrix);
    // The resource name of a graphics state with a blend mode ("Normal", "Multiply", "Screen").
    std::string BlendState(const std::string& Mode);

    // Objects: a number to write an object under later, an object, a stream (compressed).
    int Reserve();
    void WriteObject(int Number, std::string_view Body);
    void WriteStream(int Number, std::string_view Dictionary, std::string_view Data, bool Compress = true);

    // Completes the file: false with Failure set when a write fell short. The file is closed.
    bool Finish();
    const String& Failure() const { return FFailure; }

private:
    void Write(std::string_view Bytes);
    void Begin(int Number);
    void FlushPages(bool All);

    std::FILE* FFile;
    String FFailure;
    long long FOffset = 0;
    std::vector<long long> FOffsets; // by object number (0: not yet written)
    int FPagesNumber = 0, FResourcesNumber = 0;
    std::vector<int> FPageNumbers;
    String FTitle;
    std::unique_ptr<TPdfFonts> FFonts;
    std::unique_ptr<TPageCompressor> FCompressor;
    // The pictures stored, most recently used first, with their pixels to compare a hash hit
    // against; the least recently used are forgotten past a budget (stored again if they return).
    struct TStoredImage {
        std::size_t Hash;
        Integer Width, Height;
        std::vector<std::uint32_t> Pixels;
        std::string Name;
    };
    std::list<TStoredImage> FImages;
    std::unordered_multimap<std::size_t, std::list<TStoredImage>::iterator> FImageIndex;
    std::size_t FImageBytes = 0;
    std::size_t (*FImageHash)(std::string_view);
    std::map<std::string, int> FImageNumbers;
    std::map<std::string, std::string> FPatternNames, FStateNames;
    std::string FXObjects, FPatterns, FStates; // resource dictionary entries
};

// A glyph to draw: its face, glyph index and place in pixels from the run's start on the baseline
// (y down).
struct TPlacedGlyph {
    int Face = 0;
    std::uint32_t Glyph = 0;
    double X = 0, Y = 0;
};

// Text that must be shaped and ordered (right-to-left text, scripts whose letters join or reorder).
bool NeedsShaping(const std::u32string& Cps);

// The faces a document uses, found through fontconfig, and the glyphs it takes from each, embedded
// as subsets when the document ends.
class TPdfFonts {
public:
    TPdfFonts();
    ~TPdfFonts();
    TPdfFonts(const TPdfFonts&) = delete;
    TPdfFonts& operator=(const TPdfFonts&) = delete;

    // The face of a family in a weight and slant (-1 when there is none).
    int FaceFor(const String& Family, Integer Weight, bool Italic);
    // The glyphs of Cps (advances Adv in pixels) at Em pixels, in the order they stand on the line:
    // characters missing from Face come from a face fontconfig names for them, right-to-left text
    // is put in its visual order, and scripts that join or reorder are shaped.
    void Layout(int Face, double Em, const std::u32string& Cps, const std::vector<Integer>& Adv,
                std::vector<TPlacedGlyph>& Out);
    // A glyph's advance in thousandths of an em, as the document's width table gives it.
    double Width(int Face, std::uint32_t Glyph);
    // The resource name of a face ("F3"); its font file and the face's index in it.
    const std::string& Name(int Face);
    const String& File(int Face, int* Index);
    // Writes every face used as a subset with its widths and text map; returns the entries of the
    // resource dictionary's font dictionary.
    std::string Write(TPdfDocument& Doc);

private:
    struct TFace;
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

} // namespace qor::gdi::pdf
