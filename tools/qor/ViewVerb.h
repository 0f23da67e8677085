#pragma once
// qor view: shows a page file in the viewer window.

namespace qor::tool {

// Runs the verb with the arguments after "view"; answers the exit code.
int RunView(int argc, char** argv);

} // namespace qor::tool
