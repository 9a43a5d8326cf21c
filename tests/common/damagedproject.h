// The sample project with one hand edit that the open cannot read, written into a
// scratch folder so a test (or a program it runs) can read and overwrite it.
#pragma once

#include <filesystem>
#include <string>

// Writes kivo_vam.c and kivo_vam.h of the sample project into dir, the .c with
// the damage called name: short_call, unbalanced, missing_set, unknown_cpu or
// zero_sysclk. The line numbers the warnings quote are those of the sample.
void WriteDamagedDemo(const std::string& name, const std::filesystem::path& dir);
