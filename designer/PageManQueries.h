#pragma once

// The band manager's questions of the page: its band tree, the drawing of a tree row and the
// handler bound to an event; shared with the data control center and the two reports.

#include "platform/graphics/Geometry.h"
#include "platform/rtl/Types.h"

#include <vector>

namespace qor {

class IDesigner;
class TDataSource;
class TKivBand;
class TKivGroup;
class TKivPage;
class TPersistent;

// Whether Dragged may be hung on Target by a drop in the band list.
bool KivValidMove(const TKivPage* Page, const TKivBand* Dragged, const TKivBand* Target);
// Whether the data source's guide on Band's page updates on Band's level.
bool KivIsSameLevel(const TKivPage* Page, const TDataSource* Source, const TKivBand* Band);
// The header or footer band of a group of Page, else null.
TKivGroup* KivGroupOfBand(const TKivPage* Page, const TKivBand* Band, bool* IsHeader = nullptr);

// How one row of the band tree is drawn: its indent (10 pixels a level), its colour, and the
// connector lines left of its text (in the coordinates of Rect, the row's rectangle).
struct TKivTreeLine {
    Integer X1, Y1, X2, Y2;
    bool operator==(const TKivTreeLine&) const = default;
};
struct TKivTreeRow {
    Integer Depth = 0;
    Integer Colour = 0;
    std::vector<TKivTreeLine> Lines;
};
TKivTreeRow KivBandTreeRow(const TKivPage* Page, const std::vector<TKivBand*>& Rows, Integer Index, const TRect& Rect);

// The name of the handler assigned to the published event PropName (exact case) of Instance.
String QorGetMethodValue(TPersistent* Instance, const String& PropName, IDesigner* Designer);

} // namespace qor
