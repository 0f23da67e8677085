#pragma once
// qor printers: the installed printers and what each can do.

#include <string>
#include <vector>

namespace qor::tool {

// Runs the verb with the arguments after "printers"; answers the exit code.
int RunPrinters(const std::vector<std::string>& Args);

} // namespace qor::tool
