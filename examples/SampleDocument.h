#pragma once
// A three-page sample document drawn through an output job, using every operation of the page
// canvas. Coordinates are given for 96 pixels per inch and scaled to the job's resolution, so the
// same drawing fits a page file (96 ppi) and a printer (its own resolution).
//
// Use: set the job's destination (and file name), BeginDoc, DrawSampleDocument, EndDoc.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Brush.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GdiTypes.h"
#include "platform/graphics/Pen.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorOut.h"

#include <string>

namespace qor::sample {

// A 16 x 16 bitmap of four coloured squares.
inline void MakeSampleBitmap(TBitmap& Bitmap)
{
    Bitmap.SetSize(16, 16);
    TCanvas* C = Bitmap.Canvas();
    const TColor Colors[4] = {clRed, clLime, clBlue, clYellow};
    for (int I = 0; I < 4; ++I) {
        C->Brush()->SetColor(Colors[I]);
        C->FillRect(TRect((I % 2) * 8, (I / 2) * 8, (I % 2) * 8 + 8, (I / 2) * 8 + 8));
    }
}

inline void DrawSampleDocument(TQorOutput& Output)
{
    TQorCanvas& C = *Output.QorCanvas();
    const Integer Dx = Output.PixelsPerInchX(), Dy = Output.PixelsPerInchY();
    const auto X = [Dx](Integer V) { return MulDiv(V, Dx, 96); };
    const auto Y = [Dy](Integer V) { return MulDiv(V, Dy, 96); };
    const auto R = [&](Integer L, Integer T, Integer Rt, Integer B) { return TRect(X(L), Y(T), X(Rt), Y(B)); };

    TFont Font;
    Font.SetName("Arial");
    Font.SetSize(12);
    TPen Pen;
    TBrush Brush;
    TBitmap Bitmap;
    MakeSampleBitmap(Bitmap);
    TBytesStream BitmapFile;
    Bitmap.SaveToStream(&BitmapFile);

    // Page 1: text.
    C.SetFont(&Font);
    C.SetTextAlign(TA_LEFT | TA_TOP);
    C.Textout(X(96), Y(96), "Sample document, page 1");
    Font.SetSize(10);
    Font.SetStyle(TFontStyles{fsItalic});
    C.SetFont(&Font);
    const std::u16string Counted = u"Counted text from a character buffer";
    C.PTextOut(X(96), Y(130), Counted.data(), static_cast<Integer>(Counted.size()));
    const std::u16string Clipped = u"Extended text, clipped to its box";
    C.ExtTextout(X(96), Y(160), ETO_CLIPPED, R(96, 160, 300, 180), Clipped.data(), static_cast<Word>(Clipped.size()));
    Brush.SetColor(clSilver);
    C.SetBrush(&Brush);
    C.SetBkColor(0x00C0C0C0);
    C.TextRect(R(96, 190, 400, 212), X(100), Y(192), "Text in a rectangle on a grey background");
    Brush.SetStyle(bsClear);
    C.SetBrush(&Brush);
    Font.SetStyle(TFontStyles{});
    C.SetFont(&Font);
    C.TextJustify(R(96, 230, 500, 250), X(96), Y(230), "A justified line spread across the width", false,
                  R(96, 230, 500, 250));
    C.SetFontAngle(90);
    C.Textout(X(60), Y(500), "Turned text");
    C.SetFont(&Font);
    const std::string Rtf = "{\\rtf1\\ansi Rich text with {\\b bold} and {\\i italic} words.}";
    TStringStream RtfStream(Rtf);
    C.RtfDraw(R(96, 300, 600, 360), &RtfStream, 0, -1, true);

    // Page 2: lines and shapes.
    Output.NewPage();
    Pen.SetWidth(2);
    Pen.SetColor(clNavy);
    C.SetPen(&Pen);
    C.MoveTo(X(96), Y(96));
    C.LineTo(X(700), Y(96));
    Brush.SetColor(clYellow);
    Brush.SetStyle(bsSolid);
    C.SetBrush(&Brush);
    C.Rectangle(X(96), Y(120), X(250), Y(220));
    C.RoundRect(X(280), Y(120), X(430), Y(220), X(30), Y(30));
    C.Ellipse(X(460), Y(120), X(610), Y(220));
    C.FillRect(R(96, 240, 250, 260));
    C.ShadeRect(R(280, 240, 430, 300), spMedium);
    C.DrawCheckBox(R(460, 240, 480, 260), qcsCheck, clGreen, 2);
    C.DrawCheckBox(R(500, 240, 520, 260), qcsCross, clRed, 2);
    C.Arc(X(96), Y(320), X(196), Y(420), X(196), Y(370), X(96), Y(370));
    C.Chord(X(220), Y(320), X(320), Y(420), X(320), Y(370), X(220), Y(370));
    C.Pie(X(340), Y(320), X(440), Y(420), X(440), Y(370), X(390), Y(320));
    C.DrawShapeType(dtArc, X(460), Y(320), X(560), Y(420), X(460), Y(370), X(560), Y(370));
    const TPoint Triangle[3] = {TPoint(X(96), Y(560)), TPoint(X(196), Y(460)), TPoint(X(296), Y(560))};
    C.Polygon(Triangle, 2);
    const TPoint Zigzag[4] = {TPoint(X(320), Y(560)), TPoint(X(370), Y(460)), TPoint(X(420), Y(560)),
                              TPoint(X(470), Y(460))};
    C.Polyline(Zigzag, 3);
    C.PolyDrawType(ptPolyLine, Zigzag, 1);

    // Page 3: images and bar codes.
    Output.NewPage();
    Brush.SetStyle(bsClear);
    C.SetBrush(&Brush);
    C.SetFont(&Font);
    C.Textout(X(96), Y(60), "Images and bar codes");
    C.Draw(X(96), Y(96), &Bitmap);
    C.StretchDraw(R(130, 96, 194, 160), &Bitmap);
    C.DrawBitmap(X(220), Y(96), &BitmapFile);
    C.StretchDrawBitmap(R(260, 96, 324, 160), &BitmapFile);
    Brush.SetColor(clBlack);
    Brush.SetStyle(bsSolid);
    C.SetBrush(&Brush);
    C.Print3of9Barcode(X(96), Y(200), X(300), Y(60), 10, 30, true, false, "QOR-123");
    C.Print2of5Barcode(X(96), Y(300), X(300), Y(60), 10, 30, true, false, "1234567890");
}

} // namespace qor::sample
