#pragma once
// What each verb of qor takes: its usage line and options, for `qor VERB --help`, `qor help VERB`
// and the one line a bad argument gets.

#include <cstdio>
#include <string>
#include <vector>

namespace qor::tool {

struct TVerbHelp {
    const char* Name;
    const char* Synopsis; // the arguments after the verb's name
    const char* Summary;  // one line on what it does
    std::string (*Options)(); // the lines of its options (nullptr: it has none)
};

// Every verb, in the order the overall help lists them.
const std::vector<TVerbHelp>& VerbHelps();
// The verb named Name, or nullptr.
const TVerbHelp* FindVerbHelp(const std::string& Name);

// The usage line and options of one verb / the overview of all of them.
void PrintVerbHelp(FILE* Out, const TVerbHelp& Verb);
void PrintOverview(FILE* Out);

// "qor: VERB: WHY (usage: qor VERB ...)" on stderr; answers the exit code of bad usage, 2.
int UsageError(const char* Verb, const std::string& Why);

// "qor: VERB: FILE: WHAT" on stderr, without saying the file's name twice when WHAT begins with it
// (errors of the form reader name the file and line themselves).
void FileError(const char* Verb, const std::string& File, const std::string& What);

// Why File cannot be opened, from errno after a failed open: "there is no such file", ...
std::string OpenFailure(const std::string& File);

} // namespace qor::tool
