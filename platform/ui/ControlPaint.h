#pragma once
// Drawing helpers for the faces of standard controls: 3-D frames, bevels, button faces, text.

#include "platform/graphics/Canvas.h"

namespace qor {

// Draws a frame Width pixels wide just inside Rect: TopLeft colour on the top and left edges,
// BottomRight on the bottom and right; Rect shrinks by Width on every side.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopLeft, TColor BottomRight, Integer Width = 1);
// A raised (Down false) or pressed button face filled with clBtnFace; Rect becomes the area inside
// the frame.
void DrawButtonFace(TCanvas* Canvas, TRect& Rect, bool Down, bool IsDefault = false);
// The sunken two-pixel frame of edit, list and grid controls; Rect becomes the area inside.
void DrawSunkenFrame(TCanvas* Canvas, TRect& Rect);
// Single-line text in Rect with the canvas font, aligned by DT_* flags (DT_LEFT, DT_CENTER,
// DT_RIGHT, DT_VCENTER); "&" marks are removed and "&&" stands for "&" unless NoPrefix.
void DrawCaption(TCanvas* Canvas, const TRect& Rect, const String& Text, Cardinal Flags, bool NoPrefix = false);
// A scroll bar in Rect: arrow buttons at both ends and a thumb for Position in 0..Max with a page
// of Page units.
void DrawScrollBar(TCanvas* Canvas, const TRect& Rect, bool Horizontal, Integer Position, Integer Max, Integer Page);
// The text of a caption as drawn: "&File" gives "File", "a && b" gives "a & b".
String StripAccelerator(const String& Caption);

} // namespace qor
