#include "settings/Settings.h"

#include <cstring>

namespace settings {

win::RegKey OpenKey(HKEY root, const char* path, REGSAM access) {
    win::RegKey key;
    if (RegOpenKeyExA(root, path, 0, access, key.receive()) != ERROR_SUCCESS) {
        key.release();
    }
    return key;
}

win::RegKey CreateKey(HKEY root, const char* path) {
    win::RegKey key;
    if (RegCreateKeyA(root, path, key.receive()) != ERROR_SUCCESS) {
        key.release();
    }
    return key;
}

std::optional<std::string> ReadString(HKEY key, const char* name) {
    char buffer[kStringBufferSize] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer);
    // A value longer than the buffer fails with ERROR_MORE_DATA and so counts as missing.
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    // A value stored without its terminating zero is taken as it is, as long as it fits 259 characters.
    if (size == sizeof(buffer) && buffer[size - 1] != '\0') {
        return std::nullopt;
    }
    return std::string(buffer, strnlen(buffer, size));
}

std::optional<DWORD> ReadDword(HKEY key, const char* name) {
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return std::nullopt;
    }
    return value;
}

bool WriteString(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool WriteDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

} // namespace settings
