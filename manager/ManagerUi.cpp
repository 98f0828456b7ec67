#include "manager/ManagerUi.h"

#include "framework/ShellFolders.h"
#include "manager/OutgoingFiles.h"
#include "win/Paths.h"

#include <commdlg.h>

namespace {

constexpr DWORD kFileNameBufferSize = 8192;

} // namespace

int Win32ManagerUi::ShowMessage(HWND owner, const std::string& text, UINT style) {
    return MessageBoxA(owner, text.c_str(), kMessageCaption, style);
}

std::optional<std::vector<std::string>> Win32ManagerUi::ChooseFiles(HWND owner) {
    std::vector<char> names(kFileNameBufferSize, '\0');
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = "All files\0*.*\0";
    request.lpstrFile = names.data();
    request.nMaxFile = kFileNameBufferSize;
    request.lpstrTitle = "Select file for transfer";
    request.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&request)) {
        return std::nullopt;
    }
    return SplitFileSelection(names.data(), names.size());
}

std::optional<std::string> Win32ManagerUi::ChooseFolder(HWND owner, const char* title) {
    return ChooseFileSystemFolder(owner, title);
}

std::vector<std::string> SplitFileSelection(const char* buffer, size_t size) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < size && buffer[start] != '\0') {
        size_t end = start;
        while (end < size && buffer[end] != '\0') {
            ++end;
        }
        parts.emplace_back(buffer + start, end - start);
        start = end + 1;
    }
    if (parts.size() <= 1) {
        return parts;
    }
    std::vector<std::string> paths;
    for (size_t i = 1; i < parts.size(); ++i) {
        paths.push_back(win::JoinPath(parts[0], parts[i]));
    }
    return paths;
}
