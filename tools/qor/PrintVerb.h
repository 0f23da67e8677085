#pragma once
// qor print: prints a page file on a printer, with progress on stderr.

namespace qor::tool {

// Runs the verb with the arguments after "print"; answers the exit code.
int RunPrint(int argc, char** argv);

} // namespace qor::tool
