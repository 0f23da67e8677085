#pragma once

#include <string>
#include <vector>

namespace qor::tool {

// qor design FILE.qfm [--new] [--save-as OUT.qfm] [--png DIR] [--variables|--overview|--diagnostic OUT.qor|OUT.pdf]
int RunDesign(const std::vector<std::string>& Args);
// The lines of its options in its help.
std::string DesignOptionHelp();

} // namespace qor::tool
