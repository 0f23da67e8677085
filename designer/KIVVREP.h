#pragma once
// The data control center's inventory as a report: the page's data-source guides with their
// fields and automatic variables, then its total, expression and persistent database variables.
// The report is a form resource of this system's own report classes, fed by the rows it is
// given; it is made, run once and freed.

#include "runtime/output/QorTypes.h"

#include <functional>
#include <memory>
#include <vector>

namespace qor {

class TKivPage;
class TKivReport;

// Prints the inventory of Page from the rows of its data control center (read only). Prepare,
// when given, sees the report before it runs (to send its pages elsewhere than the screen).
void RunVReport(TKivPage* Page, const std::vector<std::unique_ptr<TDsgItem>>& DsgList,
                const std::vector<std::unique_ptr<TExprItem>>& ExprList,
                const std::vector<std::unique_ptr<TTotalItem>>& TotalList,
                const std::vector<std::unique_ptr<TDBItem>>& DBList,
                const std::function<void(TKivReport*)>& Prepare = {});

// The same for a page being designed: its band and group manager and data control center made
// when missing, its variables brought up to date and the center's lists refreshed first.
void RunVReportOfPage(TKivPage* Page, const std::function<void(TKivReport*)>& Prepare = {});

} // namespace qor
