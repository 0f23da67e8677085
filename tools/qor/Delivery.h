#pragma once
// The line that tells the user where a print job went.

#include "platform/printing/Printers.h"

#include <string>

namespace qor::tool {

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
