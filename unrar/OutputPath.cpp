#include "unrar/OutputPath.h"

#include "formats/FileNames.h"
#include "win/Paths.h"

#include <windows.h>

#include <algorithm>
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

// Windows drops trailing dots and spaces from a component, so ".. " would climb like "..".
bool IsOnlyDotsAndSpaces(const std::wstring& component) {
    return component.find_first_not_of(L". ") == std::wstring::npos;
}

bool HoldsForbiddenCharacter(const std::wstring& component) {
    return std::any_of(component.begin(), component.end(),
                       [](wchar_t c) { return c < 0x20 || std::wcschr(L":*?\"<>|", c) != nullptr; });
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
        if (IsOnlyDotsAndSpaces(component) || HoldsForbiddenCharacter(component) ||
            formats::IsDeviceName(component)) {
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
    std::wstring folder = win::FullPathName(destFolder.empty() ? std::wstring(L".") : destFolder);
    if (folder.empty()) {
        return std::nullopt;
    }
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    std::wstring full = win::FullPathName(folder + relative);
    if (full.size() <= folder.size() || !win::SameName(full.substr(0, folder.size()), folder)) {
        return std::nullopt;
    }
    return full;
}

bool CreateFolderPath(const std::wstring& folder) {
    return folder.empty() || win::CreateFolderTree(win::FullPathName(folder));
}

bool CreateParentFolders(const std::wstring& path) {
    auto cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut == 0 || path[cut - 1] == L':') {
        return true;
    }
    return CreateFolderPath(path.substr(0, cut));
}

} // namespace rar
