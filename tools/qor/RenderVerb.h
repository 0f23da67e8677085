#pragma once
// qor render: plays the pages of a page file into PNG files, to look at them without a window.

namespace qor::tool {

// Runs the verb with the arguments after "render"; answers the exit code.
int RunRender(int argc, char** argv);

} // namespace qor::tool
