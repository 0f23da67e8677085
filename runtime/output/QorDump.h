#pragma once
// The canonical text dump of a page file: header, file information, printer setup, user stream,
// page index, object table, then every record of every page with its decoded payload, one line
// each. Two runs of a report that drew the same pages give the same dump, so dumps are the golden
// files of tests and can be compared with diff.

#include "platform/rtl/Types.h"

namespace qor {

class TQorPrinterSetup;
class TQorQorFile;
class TStream;

// The dump of a page file in memory. Records are listed for pages FirstPage to LastPage only
// (1-based, both included; 0 to 0 means all pages); the other blocks are always listed.
String QorDumpQorFile(TQorQorFile& QorFile, Integer FirstPage = 0, Integer LastPage = 0);
// Loads the page file first (its errors propagate).
String QorDumpPageFile(const String& FileName, Integer FirstPage = 0, Integer LastPage = 0);

// One line's worth of a printer setup: every value, then the names of the values flagged as set.
String QorDumpPrinterSetup(const TQorPrinterSetup& Setup);

} // namespace qor
