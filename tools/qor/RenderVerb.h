#pragma once
// qor render: plays the pages of a page file into PNG files, to look at them without a window.

#include <string>
#include <vector>

namespace qor::tool {

// Runs the verb with the arguments after "render"; answers the exit code.
int RunRender(const std::vector<std::string>& Args);
// The lines of its options in its help.
std::string RenderOptionHelp();

// What to play into pictures: the pages First-Last (0 for either: from the first, to the last) of
// the page file File, into Dir/page-N.png, at Dpi pixels per inch and Zoom percent.
struct TRenderJob {
    std::string File;
    std::string Dir;
    int Dpi = 96;
    int Zoom = 100;
    int First = 0;
    int Last = 0;
};

// Plays the pages, naming each picture on stdout; a failure is told on stderr as render's.
// Answers the exit code.
int RenderPages(const TRenderJob& Job);

} // namespace qor::tool
