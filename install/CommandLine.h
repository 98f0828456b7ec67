// The switches of Setup's and UnInstall's silent mode, read from the program's command line.
#pragma once

#include <string>

namespace install {

// The arguments of a command line: what follows the program's name, quoted or not.
std::string ProgramArguments(const char* commandLine);

// The text without blanks (spaces and tabs) at either end.
std::string TrimmedBlanks(const std::string& text);

// True for a switch such as "/S": a slash and the letter, in either case.
bool IsSwitch(const std::string& word, char letter);

} // namespace install
