// The program's own command-line options ("-NAME=value" or "/NAME=value") and their lookup.
#pragma once

#include <map>
#include <string>
#include <vector>

using CCommandLineOptions = std::map<std::string, std::string>;

// Reads every option of the raw command-line text (after the program name):
// names in upper case, surrounding double quotes removed, a later occurrence
// replacing an earlier one. Text that is no option is ignored.
CCommandLineOptions ParseCommandLineOptions(const std::string& commandLine);

// Rebuilds the raw command-line text from already split arguments, quoting an
// option's value where it holds blanks, so that the same options are read.
std::string JoinCommandLine(const std::vector<std::string>& args);

// Case-insensitive lookup: `name` is compared in upper case.
bool LookupOption(const CCommandLineOptions& options, const std::string& name, std::string& value);
