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
    CheckFirstPage(R.Count, R.First);
    return R;
}

void CheckFirstPage(int Count, int First)
{
    if (First > Count)
        throw Exception("the page file has " + std::to_string(Count) + " page" + (Count == 1 ? "" : "s") +
                        ", there is no page " + std::to_string(First));
}

} // namespace qor::tool
