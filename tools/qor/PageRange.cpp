#include "tools/qor/PageRange.h"

#include "platform/rtl/Exceptions.h"
#include "runtime/output/QorFile.h"
#include "tools/qor/Usage.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace qor::tool {

TPageRange LoadPageFile(TQorQorFile& F, const std::string& File, int First, int Last)
{
    if (std::ifstream In(File, std::ios::binary); !In || std::filesystem::is_directory(File))
        throw Exception("cannot open the page file: " + OpenFailure(File));
    F.LoadFromFile(File);
    TPageRange R;
    R.Count = F.PageCount();
    if (R.Count == 0)
        throw Exception("the page file holds no pages");
    R.First = First ? First : 1;
    R.Last = Last ? std::min(Last, R.Count) : R.Count;
    if (R.First > R.Count)
        throw Exception("the page file has " + std::to_string(R.Count) + " page" + (R.Count == 1 ? "" : "s") +
                        ", there is no page " + std::to_string(R.First));
    return R;
}

} // namespace qor::tool
