#pragma once
// The state of one pass of a report page, apart from the page's published properties and its
// design-time state. Each InitReport makes a fresh one, which keeps only the band lists of the run
// (built by its first pass) and the figures the last pass left; UnInitReport drops it, and the page
// keeps only the figures. Only the page's own sources include this header.

#include "platform/rtl/Types.h"
#include "runtime/engine/KivPageIntf.h"

#include <memory>
#include <vector>

namespace qor {

class TComponent;
class TKivBand;
class TKivLevel;
class TKivPageSetup;
class TKivRtfFile;
class TQorCanvas;
class TQorViewer;

// Where a pass's bands go: the pages of the output job, or an RTF file.
class IKivBandSink {
public:
    virtual ~IKivBandSink() = default;
    // No page geometry: the bands follow one another, no band waits for room (RTF).
    virtual bool Continuous() const = 0;
    // Prints Band whole at the page's print position.
    virtual void Print(TKivBand* Band, TComponent* Page) = 0;
    // Prints the next piece of a stretching band into Room pixels (-1: no limit); answers the
    // height the piece took.
    virtual Integer PrintPiece(TKivBand* Band, TComponent* Page, Integer Room) = 0;
    // The RTF writer (null for page output).
    virtual TKivRtfFile* RtfFile() { return nullptr; }
    // The run has ended: an RTF file is written now (a failure to write it is the run's failure).
    virtual void Finish() {}
};

// Bands drawn on the canvas of the output job.
std::unique_ptr<IKivBandSink> KivPageSink();
// Bands written as RTF paragraphs into FileName, with the paper of Setup.
std::unique_ptr<IKivBandSink> KivRtfSink(const String& FileName, TKivPageSetup* Setup);

// What a run tells its caller while it goes and leaves behind when it ends.
struct TKivRunFigures {
    Integer PageNumber = 0;   // the page being generated (1-based)
    Integer PagesPrinted = 0; // pages drawn (inside the page range)
    Integer PageCount = 0;    // pages of the last pass
    Double PercentDone = 0;
    Integer Records = 0; // records expected
    Integer Skipped = 0; // records passed
    bool AbortPrinting = false;
    bool DataIsFinished = false;
};

// The bands a run prints with lists of their own (a band's ListPos indexes Lists), built once per
// run: report head, page head, group heads, detail, group feet, page foot, report foot, overlays.
struct TKivBandLists {
    std::vector<std::vector<TKivBand*>> Lists;
    std::vector<TKivBand*> MainList;
    std::vector<TKivBand*> OverLayList; // the overlays in print order
};

struct TKivPageRun {
    TKivRunFigures Figures;
    // Null until the run's first pass builds them.
    std::unique_ptr<TKivBandLists> BandLists;
    // Where the bands go; the output job's canvas while a document is open; the run's preview.
    std::unique_ptr<IKivBandSink> Sink = KivPageSink();
    TQorCanvas* Canvas = nullptr;
    TQorViewer* Viewer = nullptr;

    // The print origin in device pixels (margins included), where the heading part of the page
    // ended, and the height of the page foot.
    Integer XPos = 0;
    Integer YPos = 0;
    Integer LastPagePos = 0;
    Integer PFHeight = 0;
    // The page counter of the range test.
    Integer PgNum = 0;

    // What is being printed, and the group level being printed (-1: none).
    TKivGroupPageState GroupPageState;
    Integer AtGroupLevel = -1;
    // Sub-data bands whose data loop runs; bands whose list is printing (innermost last); levels
    // of bands whose data has been advanced and not yet printed.
    std::vector<TKivBand*> PrintDataList;
    std::vector<TKivBand*> PrintList;
    std::vector<TKivLevel*> UpdateBandLevelList;

    // Nothing but the page head has printed since the report started.
    bool FirstNewPage = true;
    // The page border is still to be drawn.
    bool FirstBorder = true;
    // The report head printed something.
    bool PrintedHead = false;
    // The page head and repeated bands of a new page are printing: a band there that does not fit
    // is placed anyway, never on yet another page.
    bool InHeading = false;
    // The data loop runs; its first record is still to come; a record is being processed.
    bool Printing = false;
    bool FirstTime = true;
    bool InProcess = false;
    // The viewer stopped generation: the application's status handlers stay assigned but are not
    // called again before the pass ends.
    bool StatusMuted = false;

    bool Continuous() const { return Sink->Continuous(); }
};

} // namespace qor
