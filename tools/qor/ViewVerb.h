#pragma once
// qor view: shows a page file in the viewer window.

#include <string>
#include <vector>

namespace qor::tool {

// Runs the verb with the arguments after "view"; answers the exit code.
int RunView(const std::vector<std::string>& Args);

} // namespace qor::tool
