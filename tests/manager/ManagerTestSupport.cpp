#include "ManagerTestSupport.h"

#include "framework/WinApp.h"
#include "settings/Settings.h"
#include "tests/support/Registry.h"

#include <commctrl.h>

#include <cstdio>

int ScriptedUi::ShowMessage(HWND, const std::string& text, UINT style) {
    messages.push_back({text, style});
    return testsupport::NextAnswer(answers, style, IDYES);
}

std::optional<std::vector<std::string>> ScriptedUi::ChooseFiles(HWND) {
    return filesToChoose;
}

std::optional<std::string> ScriptedUi::ChooseFolder(HWND, const char* title) {
    folderTitles.push_back(title);
    return folderToChoose;
}

std::string ScratchFolder::WriteFile(const std::string& name, const std::string& content) const {
    std::string path = *this / name;
    testsupport::WriteBytes(path, content);
    return path;
}

std::string ScratchFolder::MakeFolder(const std::string& name) const {
    std::string path = *this / name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

void StoreSettings(const StoredSettings& values) {
    DeleteSettings();
    win::RegKey key = settings::CreateKey(HKEY_CURRENT_USER, settings::kKeyPath);
    settings::WriteString(key.get(), settings::kFolderForSFiles, values.outgoingFolder);
    settings::WriteString(key.get(), settings::kFolderForRFiles, values.incomingFolder);
    settings::WriteDword(key.get(), settings::kFromPalmToPC, values.fromPalmToPC);
    settings::WriteDword(key.get(), settings::kFromPCToPalm, values.fromPCToPalm);
    settings::WriteDword(key.get(), settings::kNameWidth, values.widths[0]);
    settings::WriteDword(key.get(), settings::kSizeWidth, values.widths[1]);
    settings::WriteDword(key.get(), settings::kDateWidth, values.widths[2]);
    settings::WriteDword(key.get(), settings::kTimeWidth, values.widths[3]);
    settings::WriteDword(key.get(), settings::kArchiver, values.archiver);
}

void DeleteSettings() {
    RegDeleteKeyA(HKEY_CURRENT_USER, settings::kKeyPath);
}

std::optional<DWORD> StoredNumber(const char* name) {
    return testsupport::StoredNumber(HKEY_CURRENT_USER, settings::kKeyPath, name);
}

std::optional<std::string> StoredText(const char* name) {
    return testsupport::StoredText(HKEY_CURRENT_USER, settings::kKeyPath, name);
}

OpenManager::OpenManager(ScriptedUi& ui) {
    static CModuleContext resources(GetModuleHandleA(nullptr));
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    dialog_ = std::make_unique<ManagerDialog>(ui);
    if (dialog_->Create()) {
        ShowWindow(window(), SW_SHOW);
    }
}

OpenManager::~OpenManager() {
    if (IsOpen()) {
        DestroyWindow(window());
    }
}

void OpenManager::SelectPage(int page) const {
    HWND tabs = Control(1000);
    SendMessageA(tabs, TCM_SETCURSEL, page, 0);
    NMHDR header = {tabs, 1000, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(window(), WM_NOTIFY, 1000, reinterpret_cast<LPARAM>(&header));
}

int OpenManager::SelectedTab() const {
    return static_cast<int>(SendMessageA(Control(1000), TCM_GETCURSEL, 0, 0));
}

void OpenManager::Click(int id) const {
    SendMessageA(Control(id), BM_CLICK, 0, 0);
}

void OpenManager::Type(int id, const std::string& text) const {
    SendMessageA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string OpenManager::Text(int id) const {
    char text[1024] = {};
    GetWindowTextA(Control(id), text, sizeof(text));
    return text;
}

int OpenManager::RowCount() const {
    return static_cast<int>(SendMessageA(Control(1003), LVM_GETITEMCOUNT, 0, 0));
}

std::vector<std::string> OpenManager::Names() const {
    std::vector<std::string> names;
    for (int row = 0; row < RowCount(); ++row) {
        names.push_back(Cell(row, 0));
    }
    return names;
}

std::string OpenManager::Cell(int row, int column) const {
    char text[1024] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(Control(1003), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

int OpenManager::RowImage(int row) const {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(Control(1003), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

bool OpenManager::IsRowSelected(int row) const {
    return (SendMessageA(Control(1003), LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void OpenManager::SelectRow(int row) const {
    LVITEMA item = {};
    item.state = LVIS_SELECTED;
    item.stateMask = LVIS_SELECTED;
    SendMessageA(Control(1003), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int OpenManager::ColumnWidth(int column) const {
    return static_cast<int>(SendMessageA(Control(1003), LVM_GETCOLUMNWIDTH, column, 0));
}

void OpenManager::SetColumnWidth(int column, int width) const {
    SendMessageA(Control(1003), LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
}

std::string OpenManager::ColumnHeading(int column) const {
    char text[64] = {};
    LVCOLUMNA info = {};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = sizeof(text);
    SendMessageA(Control(1003), LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
    return text;
}

void OpenManager::PressEscape() const {
    testsupport::PressKey(window(), VK_ESCAPE);
}

void OpenManager::CloseBox() const {
    SendMessageA(window(), WM_CLOSE, 0, 0);
    PumpMessages();
}

void OpenManager::PumpMessages() const {
    testsupport::PumpMessages(window());
}
