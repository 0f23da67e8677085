#pragma once
// The printer a verb prints on, and the line that tells the user where a print job went.

#include "platform/printing/Printers.h"
#include "platform/rtl/StringList.h"

#include <string>

namespace qor::tool {

// Selects the printer named Name, or the default printer when Name is empty; raises EPrinter when
// there is no such printer (or none at all).
inline void SelectPrinter(const std::string& Name)
{
    TPrinter* P = Printer();
    if (Name.empty()) {
        if (P->Printers()->Count() == 0)
            throw EPrinter("there is no printer");
        P->SetPrinterIndex(-1);
        return;
    }
    const Integer Index = P->Printers()->IndexOf(Name);
    if (Index < 0)
        throw EPrinter("there is no printer named \"" + Name + "\" (qor printers lists them)");
    P->SetPrinterIndex(Index);
}

// "Written: FILE" for a PDF file that stays, "Sent to queue Q as job N" for a print queue; empty
// when the job went nowhere a user can look.
inline std::string DeliveryLine(const TJobDelivery& D)
{
    if (!D.Queue.empty())
        return "Sent to queue " + D.Queue + " as job " + std::to_string(D.JobId);
    if (!D.File.empty())
        return "Written: " + D.File;
    return {};
}

} // namespace qor::tool
