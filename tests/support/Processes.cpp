#include "tests/support/Processes.h"

#include "tests/support/Files.h"
#include "win/Handles.h"

#include <algorithm>

namespace testsupport {

ProgramRun RunProgram(const std::string& commandLine, const std::string& outputFile, DWORD timeoutMs,
                      const char* folder, DWORD creationFlags) {
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    win::File output(CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION started = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, creationFlags, nullptr, folder,
                        &startup, &started)) {
        return run;
    }
    win::KernelHandle process(started.hProcess);
    win::KernelHandle thread(started.hThread);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
    }
    GetExitCodeProcess(process.get(), &run.exitCode);
    output.reset();
    run.output = ReadBytes(outputFile).value_or("");
    run.output.erase(std::remove(run.output.begin(), run.output.end(), '\r'), run.output.end());
    return run;
}

} // namespace testsupport
