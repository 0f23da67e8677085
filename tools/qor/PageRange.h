#pragma once
// Loading the page file a verb works on, with the range of its pages the user asked for.

#include <string>

namespace qor {
class TQorQorFile;
}

namespace qor::tool {

struct TPageRange {
    int First = 1;
    int Last = 0;
    int Count = 0; // pages in the file
};

// Loads File into F and holds the range First-Last (0 for either: from the first, to the last) to
// the file's pages. A file without pages, or a range starting past its end, raises.
TPageRange LoadPageFile(TQorQorFile& F, const std::string& File, int First, int Last);
// Raises when a range starting at First (0: from the first) lies past the Count pages of a file.
void CheckFirstPage(int Count, int First);

} // namespace qor::tool
