#include "unrar/OutputPath.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <vector>

namespace rar {
namespace {

std::vector<std::wstring> SplitComponents(const std::wstring& path) {
    std::vector<std::wstring> parts;
    std::wstring part;
    for (wchar_t c : path) {
        if (c == L'\\' || c == L'/') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

bool IsDeviceName(const std::wstring& component) {
    static const wchar_t* const kDevices[] = {L"CON",    L"PRN",     L"AUX",   L"NUL",
                                              L"CONIN$", L"CONOUT$", L"CLOCK$"};
    std::wstring base = component.substr(0, component.find(L'.'));
    while (!base.empty() && base.back() == L' ') {
        base.pop_back();
    }
    std::transform(base.begin(), base.end(), base.begin(), [](wchar_t c) { return std::towupper(c); });
    for (const wchar_t* device : kDevices) {
        if (base == device) {
            return true;
        }
    }
    bool numberedPort = base.size() == 4 &&
                        (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
                        base[3] >= L'0' && base[3] <= L'9';
    return numberedPort;
}

// Windows drops trailing dots and spaces from a component, so ".. " would climb like "..".
bool IsOnlyDotsAndSpaces(const std::wstring& component) {
    return component.find_first_not_of(L". ") == std::wstring::npos;
}

bool HoldsForbiddenCharacter(const std::wstring& component) {
    return std::any_of(component.begin(), component.end(),
                       [](wchar_t c) { return c < 0x20 || std::wcschr(L":*?\"<>|", c) != nullptr; });
}

std::wstring FullPath(const std::wstring& path) {
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return {};
    }
    std::wstring full(size, L'\0');
    DWORD written = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (written == 0 || written >= size) {
        return {};
    }
    full.resize(written);
    return full;
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

} // namespace

std::optional<std::wstring> SafeRelativePath(const std::wstring& storedName) {
    if (storedName.empty() || storedName[0] == L'\\' || storedName[0] == L'/') {
        return std::nullopt;
    }
    std::wstring relative;
    for (const std::wstring& component : SplitComponents(storedName)) {
        if (component.empty() || component == L".") {
            continue;
        }
        if (IsOnlyDotsAndSpaces(component) || HoldsForbiddenCharacter(component) || IsDeviceName(component)) {
            return std::nullopt;
        }
        relative += (relative.empty() ? L"" : L"\\") + component;
    }
    if (relative.empty()) {
        return std::nullopt;
    }
    return relative;
}

std::optional<std::wstring> PathUnder(const std::wstring& destFolder, const std::wstring& relative) {
    std::wstring folder = FullPath(destFolder.empty() ? L"." : destFolder);
    if (folder.empty()) {
        return std::nullopt;
    }
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    std::wstring full = FullPath(folder + relative);
    if (full.size() <= folder.size() || Lower(full.substr(0, folder.size())) != Lower(folder)) {
        return std::nullopt;
    }
    return full;
}

bool CreateFolderPath(const std::wstring& folder) {
    if (folder.empty()) {
        return true;
    }
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    auto cut = folder.find_last_of(L"\\/");
    // "C:" and "\\server\share" stop the climb; CreateDirectoryW then says whether the rest can be made.
    if (cut != std::wstring::npos && cut > 0 && folder[cut - 1] != L':' && folder[cut - 1] != L'\\') {
        if (!CreateFolderPath(folder.substr(0, cut))) {
            return false;
        }
    }
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CreateParentFolders(const std::wstring& path) {
    auto cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut == 0 || path[cut - 1] == L':') {
        return true;
    }
    return CreateFolderPath(path.substr(0, cut));
}

} // namespace rar
