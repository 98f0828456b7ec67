#include "conduit/Archiver.h"

#include <vector>

namespace {
const char* RegistrationKey(settings::ArchiverChoice archiver) {
    return archiver == settings::WinZip
               ? "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WinZip.exe"
               : "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WinRar.exe";
}
} // namespace

std::optional<std::string> ResolveArchiverPath(settings::ArchiverChoice archiver) {
    win::RegKey key = settings::OpenKey(HKEY_LOCAL_MACHINE, RegistrationKey(archiver), KEY_READ);
    if (!key) {
        return std::nullopt;
    }
    // A key without a usable default value gives an empty path: the archiver then fails to start.
    return settings::ReadString(key.get(), nullptr).value_or(std::string());
}

const char* TemporaryArchiveName(settings::ArchiverChoice archiver) {
    return archiver == settings::WinZip ? "$$temp$$.zip" : "$$temp$$.rar";
}

std::string CompressCommand(settings::ArchiverChoice archiver, const std::string& programPath,
                            const std::string& fileName) {
    const char* arguments =
        archiver == settings::WinZip ? " -a \"$$temp$$.zip\" \"" : " a \"$$temp$$.rar\" \"";
    return programPath + arguments + fileName + "\"";
}

std::string ExpandCommand(settings::ArchiverChoice archiver, const std::string& programPath) {
    const char* operation = archiver == settings::WinZip ? " -e \"" : " e \"";
    return programPath + operation + TemporaryArchiveName(archiver) + "\"";
}

bool RunArchiver(const std::string& commandLine, const std::string& folder, DWORD* exitCode) {
    // CreateProcessA may write into the command line.
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &started)) {
        return false;
    }
    win::Process process{win::KernelHandle(started.hProcess), win::KernelHandle(started.hThread)};
    WaitForSingleObject(process.process.get(), INFINITE);
    if (exitCode != nullptr && !GetExitCodeProcess(process.process.get(), exitCode)) {
        *exitCode = static_cast<DWORD>(-1);
    }
    return true;
}

bool ArchiverSucceeds(const std::string& commandLine, const std::string& folder) {
    DWORD exitCode = 0;
    return RunArchiver(commandLine, folder, &exitCode) && exitCode == 0;
}
