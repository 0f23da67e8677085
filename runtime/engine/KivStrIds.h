#pragma once
// The ids of the report engine's texts in the string table (resources/strings.txt), read with
// LoadStr and FmtLoadStr. The captions its dialogs share with the viewer's are in
// runtime/output/QorStrIds.h.

#include "platform/rtl/Types.h"

namespace qor {

// The page, groups and bands.
inline constexpr Integer SKivNoDataSource = 56400;
inline constexpr Integer SKivGroupDelete = 56401;
inline constexpr Integer SKivBandDelete = 56402;
inline constexpr Integer SKivPageDelete = 56410;

// The report run.
inline constexpr Integer SKivDeleteReport = 56403;
inline constexpr Integer SKivDeleteReportCaption = 56404;
inline constexpr Integer SKivPrinterBusy = 56405;
inline constexpr Integer SKivCouldNotRun = 56406;

// The min/max button the designer puts on a report.
inline constexpr Integer SKivMax = 56407;
inline constexpr Integer SKivMin = 56408;

// Variables and totals (each with the variable's name for %s).
inline constexpr Integer SKivCircularVariable = 56413;
inline constexpr Integer SKivBadDatatype = 56414;
inline constexpr Integer SKivTotalvarAccess = 56415;

} // namespace qor
