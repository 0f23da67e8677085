#pragma once
// Shared types of the page output: records stored in page files.

#include "platform/graphics/Geometry.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace qor {

class TStream;

// The printer block of old page files and the payload of record 100: 37 bytes, little-endian,
// packed. Files of format version below 3 hold only its first 36 bytes (no CollatedCopies).
struct TQorFilePrinterInfo {
    Word Orientation = 0;
    Word PaperSize = 0;
    Double Length = 0; // inches
    Double Width = 0;  // inches
    Word Scale = 0;
    Word Copies = 0;
    Word Source = 0;
    SmallInt PrintQuality = 0;
    Word Color = 0;
    Word Duplex = 0;
    Word YResolution = 0;
    Word TTOption = 0;
    bool CollatedCopies = false;

    bool operator==(const TQorFilePrinterInfo&) const = default;
};

inline constexpr Integer QorFilePrinterInfoSize = 37;
// The size of the block in files of versions below 3.
inline constexpr Integer QorFilePrinterInfoShortSize = 36;

// Reads the record field by field. With WithCollate false only the first 36 bytes are read and
// CollatedCopies becomes true. A short stream raises EReadError.
TQorFilePrinterInfo ReadQorFilePrinterInfo(TStream& Stream, bool WithCollate = true);
void WriteQorFilePrinterInfo(TStream& Stream, const TQorFilePrinterInfo& Info);

// Rows of the designer's data control center: one per data-source guide, persistent database
// variable, expression variable and total variable of a page, rebuilt from the page on every
// refresh. Texts of settings that are missing are the "Fill in ..." prompts shown to the author.
class TDsgItem : public TObject {
public:
    bool CreateVariables = false;
    String DataSourceName; // the data source's full name
    String UpdateLevelName;
    TRect CheckRect;       // where the check box was last drawn, in grid coordinates
};

class TDBItem : public TObject {
public:
    String DBName;
    String DataSourceName;
    String DataField;
    String LevelName;
    bool Used = false;
    bool LevelMatch = true;
};

class TExprItem : public TObject {
public:
    String ExprName;
    String ExprLevelName;
    String ExprEventName;
    String ExprTypeName;
    bool Used = false;
};

class TTotalItem : public TObject {
public:
    String TotalName;
    String TotalLevelName;
    String TotalVarName;
    bool Used = false;
    bool LevelMatch = true;
};

} // namespace qor
