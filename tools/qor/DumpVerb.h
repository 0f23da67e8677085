#pragma once
// qor dump: the canonical text dump of a page file, for reading and for comparing with diff.

namespace qor::tool {

// Runs the verb with the arguments after "dump"; answers the exit code.
int RunDump(int argc, char** argv);

} // namespace qor::tool
