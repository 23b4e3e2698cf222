// The command line and the files the program names, in the program's own text, UTF-8. On Windows
// the narrow forms of these calls use the ANSI code page, which would lose every character
// outside it: a folder or a database named in another script could not be reached.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The arguments after the program's name.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The file opened for reading bytes, or null (errno says why).
std::FILE* OpenForReading(const std::string& path);
