// Running another program to its end, as the tests of the real programs and their drivers do.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

struct ProgramRun {
    DWORD exitCode = STILL_ACTIVE; // also when the program could not be started
    std::string output;            // its output and error streams, carriage returns left out
};

// Runs the command line in `folder` (null: the current folder) with its output caught in
// `outputFile`; ends the program when it runs longer than `timeoutMs`.
ProgramRun RunProgram(const std::string& commandLine, const std::string& outputFile, DWORD timeoutMs,
                      const char* folder = nullptr, DWORD creationFlags = 0);

} // namespace testsupport
