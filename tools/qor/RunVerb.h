#pragma once
// qor run: loads a form file holding a report and its data sets, runs the report and says where
// the output went, with progress on stderr.

namespace qor::tool {

// Runs the verb with the arguments after "run"; answers the exit code.
int RunReport(int argc, char** argv);

} // namespace qor::tool
