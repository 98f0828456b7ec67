#include "tests/support/Registry.h"

#include "settings/InstalledLayout.h"
#include "settings/Settings.h"

namespace testsupport {

std::optional<DWORD> StoredNumber(HKEY root, const char* key, const char* name) {
    win::RegKey opened = settings::OpenKey(root, key, KEY_READ);
    return opened ? settings::ReadDword(opened.get(), name) : std::nullopt;
}

std::optional<std::string> StoredText(HKEY root, const char* key, const char* name) {
    win::RegKey opened = settings::OpenKey(root, key, KEY_READ);
    return opened ? settings::ReadString(opened.get(), name) : std::nullopt;
}

bool KeyExists(HKEY root, const char* key) {
    return static_cast<bool>(settings::OpenKey(root, key, KEY_READ));
}

int ValueCount(HKEY root, const char* key) {
    win::RegKey opened = settings::OpenKey(root, key, KEY_READ);
    DWORD values = 0;
    if (!opened || RegQueryInfoKeyA(opened.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return -1;
    }
    return static_cast<int>(values);
}

void WriteRawValue(HKEY key, const char* name, DWORD type, const std::string& bytes) {
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
}

void RemoveInstallationKeys() {
    RegDeleteKeyA(HKEY_CURRENT_USER, settings::kKeyPath);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath);
}

} // namespace testsupport
