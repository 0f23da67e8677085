#pragma once
// qor printers: the installed printers and what each can do.

namespace qor::tool {

// Runs the verb with the arguments after "printers"; answers the exit code.
int RunPrinters(int argc, char** argv);

} // namespace qor::tool
