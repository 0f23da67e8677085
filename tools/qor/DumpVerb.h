#pragma once
// qor dump: the canonical text dump of a page file, for reading and for comparing with diff.

#include <string>
#include <vector>

namespace qor::tool {

// Runs the verb with the arguments after "dump"; answers the exit code.
int RunDump(const std::vector<std::string>& Args);
// The lines of its options in its help.
std::string DumpOptionHelp();

} // namespace qor::tool
