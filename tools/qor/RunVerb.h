#pragma once
// qor run: loads a form file holding a report and its data sets, runs the report and says where
// the output went, with progress on stderr.

#include <string>
#include <vector>

namespace qor::tool {

// Runs the verb with the arguments after "run"; answers the exit code.
int RunReport(const std::vector<std::string>& Args);
// The lines of its options in its help.
std::string RunOptionHelp();

} // namespace qor::tool
