#pragma once
// The ids of the page output's texts in the string table (resources/strings.txt), read with
// LoadStr. The report engine's dialogs use the same captions.

#include "platform/rtl/Types.h"

namespace qor {

// The print destination dialogs.
inline constexpr Integer SQorCollate = 56420;
inline constexpr Integer SQorReportDestination = 56421;
inline constexpr Integer SQorRange = 56422;
inline constexpr Integer SQorDestination = 56423;
inline constexpr Integer SQorPrinter = 56424;
inline constexpr Integer SQorScreen = 56425;
inline constexpr Integer SQorAll = 56426;
inline constexpr Integer SQorPages = 56427;
inline constexpr Integer SQorFrom = 56428;
inline constexpr Integer SQorTo = 56429;
inline constexpr Integer SQorPrint = 56430;
inline constexpr Integer SQorCancel = 56431;
inline constexpr Integer SQorPrinterSetup = 56432;
inline constexpr Integer SQorCopies = 56433;
inline constexpr Integer SQorCurrentPage = 56440;

// The status windows.
inline constexpr Integer SQorPrintingWait = 56441;
inline constexpr Integer SQorGeneratingWait = 56442;
inline constexpr Integer SQorPage = 56443;
inline constexpr Integer SQorAbort = 56444;
inline constexpr Integer SQorPrintStatus = 56445;

// The question asked when a report being generated is stopped.
inline constexpr Integer SQorDiscardReport = 56450;
inline constexpr Integer SQorRetainPartialReport = 56451;
inline constexpr Integer SQorContinueGenerating = 56452;
inline constexpr Integer SQorAbortReportQuestion = 56453;

// The go-to-page dialog.
inline constexpr Integer SQorPageMovement = 56460;
inline constexpr Integer SQorGotoPage = 56461;
inline constexpr Integer SQorGo = 56462;
inline constexpr Integer SQorGotoCancel = 56463;

// The viewer window: its caption, menu items and hints.
inline constexpr Integer SQorViewer = 56470;
inline constexpr Integer SQorMenuFile = 56471;
inline constexpr Integer SQorMenuOptions = 56472;
inline constexpr Integer SQorMenuNavigate = 56473;
inline constexpr Integer SQorMenuOpen = 56474;
inline constexpr Integer SQorMenuClose = 56475;
inline constexpr Integer SQorMenuSave = 56476;
inline constexpr Integer SQorMenuPrinterSetup = 56477;
inline constexpr Integer SQorMenuPrint = 56478;
inline constexpr Integer SQorMenuExit = 56479;
inline constexpr Integer SQorMenuSynchronize = 56480;
inline constexpr Integer SQorMenuToolbar = 56481;
inline constexpr Integer SQorMenuTwoPage = 56482;
inline constexpr Integer SQorNextPage = 56483;
inline constexpr Integer SQorPreviousPage = 56484;
inline constexpr Integer SQorFirstPage = 56485;
inline constexpr Integer SQorLastPage = 56486;
inline constexpr Integer SQorJumpToPage = 56487;
inline constexpr Integer SQorClose = 56488;
inline constexpr Integer SQorCloseHint = 56489;
inline constexpr Integer SQorSendToPrinterHint = 56490;
inline constexpr Integer SQorAbortReportHint = 56491;
inline constexpr Integer SQorZoomHint = 56492;
inline constexpr Integer SQorJumpToPageHint = 56493;

} // namespace qor
