#include "settings/Settings.h"

#include "win/Paths.h"

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

Store Store::Defaults(const std::string& installFolder, const std::string& hotSyncFolder) {
    Store values;
    values.pathToManager = installFolder;
    values.pathToHotSync = hotSyncFolder;
    values.sendFolder = DefaultSendFolder(installFolder);
    values.receiveFolder = DefaultReceiveFolder(installFolder);
    values.fromPalmToPC = kDefaultOverwritePolicy;
    values.fromPCToPalm = kDefaultOverwritePolicy;
    values.columnWidths[0] = kDefaultNameWidth;
    for (size_t column = 1; column < std::size(values.columnWidths); ++column) {
        values.columnWidths[column] = kDefaultColumnWidth;
    }
    values.archiver = kDefaultArchiver;
    return values;
}

bool Store::Load() {
    *this = Store();
    win::RegKey key = OpenKey(HKEY_CURRENT_USER, kKeyPath, KEY_READ);
    if (!key) {
        return false;
    }
    pathToManager = ReadString(key.get(), kPathToManager);
    pathToHotSync = ReadString(key.get(), kPathToHotSync);
    sendFolder = ReadString(key.get(), kFolderForSFiles);
    receiveFolder = ReadString(key.get(), kFolderForRFiles);
    fromPalmToPC = ReadDword(key.get(), kFromPalmToPC);
    fromPCToPalm = ReadDword(key.get(), kFromPCToPalm);
    for (size_t column = 0; column < std::size(columnWidths); ++column) {
        columnWidths[column] = ReadDword(key.get(), kColumnWidthNames[column]);
    }
    archiver = ReadDword(key.get(), kArchiver);
    return true;
}

bool Store::Save(Key key) const {
    win::RegKey opened = key == Key::CreateIfMissing ? CreateKey(HKEY_CURRENT_USER, kKeyPath)
                                                     : OpenKey(HKEY_CURRENT_USER, kKeyPath, KEY_WRITE);
    if (!opened) {
        return false;
    }
    bool written = true;
    auto writeString = [&](const char* name, const std::optional<std::string>& value) {
        written &= !value || WriteString(opened.get(), name, *value);
    };
    auto writeDword = [&](const char* name, const std::optional<DWORD>& value) {
        written &= !value || WriteDword(opened.get(), name, *value);
    };
    writeString(kPathToManager, pathToManager);
    writeString(kPathToHotSync, pathToHotSync);
    writeString(kFolderForSFiles, sendFolder);
    writeString(kFolderForRFiles, receiveFolder);
    writeDword(kFromPalmToPC, fromPalmToPC);
    writeDword(kFromPCToPalm, fromPCToPalm);
    for (size_t column = 0; column < std::size(columnWidths); ++column) {
        writeDword(kColumnWidthNames[column], columnWidths[column]);
    }
    writeDword(kArchiver, archiver);
    return written;
}

TransferSettings ReadTransferSettings() {
    Store stored;
    stored.Load();
    return {stored.sendFolder, stored.receiveFolder, stored.fromPalmToPC, stored.fromPCToPalm,
            stored.archiver};
}

std::string DefaultSendFolder(const std::string& installFolder) {
    return win::WithoutTrailingBackslashes(installFolder) + kOutboxFolderName;
}

std::string DefaultReceiveFolder(const std::string& installFolder) {
    return win::WithoutTrailingBackslashes(installFolder) + kInboxFolderName;
}

} // namespace settings
