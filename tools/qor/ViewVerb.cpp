#include "tools/qor/ViewVerb.h"

#include "platform/rtl/QtHost.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorView.h"
#include "tools/qor/PageRange.h"
#include "tools/qor/Usage.h"

#include <cstdio>
#include <exception>
#include <string>

namespace qor::tool {

int RunView(const std::vector<std::string>& Args)
{
    if (Args.size() != 1 || Args[0][0] == '-')
        return UsageError("view", "one page file to show");
    const std::string File = Args[0];
    try {
        // Checked first, so a bad file is told plainly before any window opens.
        TQorQorFile Check;
        LoadPageFile(Check, File, 0, 0);
        if (!QtCanShowWindows())
            throw Exception("there is no display to show a window on (qor render writes the pages as pictures)");
        QorFileView(File);
        return 0;
    } catch (const std::exception& E) {
        FileError("view", File, E.what());
        return 1;
    }
}

} // namespace qor::tool
