#pragma once
// qor print: prints a page file on a printer, with progress on stderr.

#include <string>
#include <vector>

namespace qor::tool {

// Runs the verb with the arguments after "print"; answers the exit code.
int RunPrint(const std::vector<std::string>& Args);
// The lines of its options in its help.
std::string PrintOptionHelp();

} // namespace qor::tool
