#pragma once
// Device capability queries on the installed printers.

#include "platform/printing/DevMode.h"

namespace qor {

// Capability codes (conventional values).
inline constexpr Word DC_FIELDS = 1;
inline constexpr Word DC_PAPERS = 2;
inline constexpr Word DC_PAPERSIZE = 3;
inline constexpr Word DC_MINEXTENT = 4;
inline constexpr Word DC_MAXEXTENT = 5;
inline constexpr Word DC_BINS = 6;
inline constexpr Word DC_DUPLEX = 7;
inline constexpr Word DC_SIZE = 8;
inline constexpr Word DC_EXTRA = 9;
inline constexpr Word DC_VERSION = 10;
inline constexpr Word DC_DRIVER = 11;
inline constexpr Word DC_BINNAMES = 12;
inline constexpr Word DC_ENUMRESOLUTIONS = 13;
inline constexpr Word DC_FILEDEPENDENCIES = 14;
inline constexpr Word DC_TRUETYPE = 15;
inline constexpr Word DC_PAPERNAMES = 16;
inline constexpr Word DC_ORIENTATION = 17;
inline constexpr Word DC_COPIES = 18;
inline constexpr Word DC_BINADJUST = 19;
inline constexpr Word DC_EMF_COMPLIANT = 20;
inline constexpr Word DC_DATATYPE_PRODUCED = 21;
inline constexpr Word DC_COLLATE = 22;

// Width of one entry of the name buffers, in UTF-16 units (a name filling it has no NUL).
inline constexpr int CCHBINNAME = 24;
inline constexpr int CCHPAPERNAME = 64;

// Asks the printer named Device what it can do. Port is accepted for compatibility and not
// needed to find the printer. With Output nullptr the answer is the number of entries; with a
// buffer the entries are written and their number returned. -1: unknown device or a
// capability this system does not answer.
//
// Output layouts, one entry per paper, bin or resolution, in the printer's order:
//   DC_PAPERS           Word paper codes
//   DC_PAPERSIZE        pairs of Integer (width, length) of the portrait sheet in tenths of a
//                       millimetre (layout of TPoint)
//   DC_PAPERNAMES       CCHPAPERNAME WideChars per name, NUL-padded
//   DC_BINS             Word bin codes
//   DC_BINNAMES         CCHBINNAME WideChars per name, NUL-padded
//   DC_ENUMRESOLUTIONS  pairs of Integer (x, y) dots per inch
//   DC_COPIES           (no output) the most copies the printer makes of a job
//   DC_DUPLEX           (no output) 1 when the printer prints on both sides, else 0
//   DC_FIELDS           (no output) the dmFields bits the printer honours
// DevMode, when given, is the record the question is asked under; the answers of the
// printers here do not depend on it.
Integer DeviceCapabilities(const String& Device, const String& Port, Word Capability, void* Output,
                           const TDeviceMode* DevMode);

// True when a default printer is configured (the PDF printer always is one, so this is false
// only when printing is switched off with QOR_NO_PRINTERS=1).
bool DefaultPrinterConfigured();
// The default printer's name; empty when DefaultPrinterConfigured() is false.
String DefaultPrinterName();

} // namespace qor
