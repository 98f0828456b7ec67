#include "conduit/Archiver.h"

namespace {
const char* RegistrationKey(settings::ArchiverChoice archiver) {
    return archiver == settings::WinZip ? "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WinZip.exe"
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
