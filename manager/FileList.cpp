// The Files page of the manager's dialog: the list of the outgoing folder, Add, Remove, and the
// move of the listed files when the outgoing folder has changed.
#include "manager/ManagerDialog.h"

#include "manager/OutgoingFiles.h"
#include "win/Paths.h"
#include "manager/resource.h"
#include "settings/OutgoingFolder.h"
#include "win/FileIdentity.h"
#include "win/Handles.h"
#include "win/FileSystem.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr UINT kWarning = MB_ICONEXCLAMATION | MB_OK;

const char* const kColumnHeadings[] = {"Name", "Size", "Date", "Time"};

// Add's answer for a file that the conduit would pass over.
std::string HeldBackMessage(const std::string& name, settings::OutgoingVerdict verdict) {
    return "File " + name + " cannot be transferred to Palm: " + settings::DescribeVerdict(verdict) +
           ". It was not added to the list.";
}

// Add's one answer when the outgoing folder takes no file: where it is and how to fix that.
std::string FolderRefusedMessage(const std::string& folder, const std::string& name, bool more) {
    return "Kestrin Manager cannot write into the folder for files to be transferred:\n" + folder + "\n\n" +
           name + (more ? " and the files chosen after it were" : " was") +
           " not added to the list. To fix this, run Setup again, or change the folder on the Settings page "
           "(the new folder is used once you press Done).";
}

// A message box shows this many names at most; the rest are counted.
constexpr size_t kMaxNamesShown = 20;

std::string FilesLeftBehindMessage(const std::string& oldFolder, const std::vector<std::string>& names) {
    std::string text = "These files were not moved into the new folder for files to be transferred, because "
                       "files of the same names are already there. They stay in " +
                       oldFolder + ":";
    for (size_t i = 0; i < names.size() && i < kMaxNamesShown; ++i) {
        text += "\n" + names[i];
    }
    if (names.size() > kMaxNamesShown) {
        text += "\n... and " + std::to_string(names.size() - kMaxNamesShown) + " more.";
    }
    return text;
}

} // namespace

void ManagerDialog::InsertColumns() {
    for (int column = 0; column < 4; ++column) {
        fileList.InsertColumn(column, kColumnHeadings[column], static_cast<int>(columnWidths[column]));
    }
}

void ManagerDialog::FillFileList() {
    if (outgoingFolder.empty()) {
        return;
    }
    fileList.SendMessage(WM_SETREDRAW, FALSE);
    // Exactly what the conduit will send: what it passes over is not shown as waiting.
    for (const settings::OutgoingEntry& entry : settings::ListOutgoingFolder(outgoingFolder)) {
        if (entry.ToSend()) {
            AppendRow(entry.name, entry.size, entry.lastWriteTime);
        }
    }
    fileList.SendMessage(WM_SETREDRAW, TRUE);
    if (fileList.GetItemCount() > 0) {
        SelectFirstRow();
    }
}

void ManagerDialog::AppendRow(const std::string& name, std::uint64_t size, const FILETIME& lastWrite) {
    int row = fileList.InsertItem(fileList.GetItemCount(), name, LookupImage(ExtensionOf(name)));
    if (row < 0) {
        return;
    }
    SYSTEMTIME written = LocalTimeOf(lastWrite);
    fileList.SetItemText(row, 1, FormatSize(size));
    fileList.SetItemText(row, 2, FormatDate(written));
    fileList.SetItemText(row, 3, FormatTime(written));
}

void ManagerDialog::AddFiles() {
    std::optional<std::vector<std::string>> chosen = ui.ChooseFiles(m_hWnd);
    if (!chosen) {
        return;
    }
    // The chooser's answer ends at its first empty name; nothing after it was chosen.
    auto end = std::find(chosen->begin(), chosen->end(), std::string());
    for (auto path = chosen->begin(); path != end; ++path) {
        if (!AddFile(*path)) {
            ui.ShowMessage(m_hWnd,
                           FolderRefusedMessage(outgoingFolder, win::LastComponentOf(*path), path + 1 != end),
                           kWarning);
            break;
        }
    }
    if (fileList.GetItemCount() > 0) {
        SelectFirstRow();
    }
}

std::optional<std::string> ManagerDialog::NameRefusal(const std::string& name) const {
    if (settings::IsReservedName(name)) {
        return "File " + name +
               " has a name that Kestrin reserves for its own use, so it was not added to the list.";
    }
    if (IsListed(name)) {
        return "File " + name + " already exists in the list! Rename the file and try once again.";
    }
    // No file name holds '?' or '*': the chooser puts a '?' for each character the code page lacks,
    // and a search would take it as a wildcard.
    if (name.find_first_of("?*") != std::string::npos) {
        return HeldBackMessage(name, settings::OutgoingVerdict::NameNotAnsi);
    }
    return std::nullopt;
}

bool ManagerDialog::AddFile(const std::string& path) {
    std::string name = win::LastComponentOf(path);
    if (std::optional<std::string> refusal = NameRefusal(name)) {
        ui.ShowMessage(m_hWnd, *refusal, kWarning);
        return true;
    }
    WIN32_FIND_DATAA entry = {};
    win::FindHandle find(FindFirstFileA(path.c_str(), &entry));
    settings::OutgoingVerdict verdict =
        find ? settings::JudgeOutgoingEntry(entry) : settings::OutgoingVerdict::Send;
    if (verdict == settings::OutgoingVerdict::Empty) {
        ui.ShowMessage(m_hWnd, "File " + name + " has zero length, so it not there was is added in list!",
                       kWarning);
        return true;
    }
    if (verdict != settings::OutgoingVerdict::Send) {
        ui.ShowMessage(m_hWnd, HeldBackMessage(name, verdict), kWarning);
        return true;
    }
    std::string target = win::JoinPath(outgoingFolder, name);
    // A file chosen from the outgoing folder itself is already where it belongs.
    bool copied = find && (win::IsSameFile(path, target) || win::CopyReplacing(path, target));
    if (!copied) {
        if (find && !win::CanCreateFileIn(outgoingFolder)) {
            return false;
        }
        ui.ShowMessage(m_hWnd,
                       "File " + name +
                           " could not be copied into the folder for files to be transferred, so it was not "
                           "added to the list.",
                       kWarning);
        return true;
    }
    AppendRow(name, FileSizeOf(entry), entry.ftLastWriteTime);
    return true;
}

bool ManagerDialog::IsListed(const std::string& name) const {
    int rows = fileList.GetItemCount();
    for (int row = 0; row < rows; ++row) {
        if (win::SameName(fileList.GetItemText(row, 0), name)) {
            return true;
        }
    }
    return false;
}

void ManagerDialog::RemoveFile() {
    int row = SelectedRow();
    if (row < 0) {
        return;
    }
    std::string name = fileList.GetItemText(row, 0);
    if (ui.ShowMessage(m_hWnd, "Are you sure do you want to delete file " + name + "?",
                       MB_ICONQUESTION | MB_YESNO) != IDYES) {
        return;
    }
    if (!win::DeleteFileIfPresent(win::JoinPath(outgoingFolder, name))) {
        ui.ShowMessage(
            m_hWnd,
            "File " + name +
                " could not be deleted from the folder for files to be transferred, so it stays in the "
                "list.",
            kWarning);
        return;
    }
    fileList.DeleteItem(row);
    if (fileList.GetItemCount() == 0) {
        CWnd(GetDlgItem(IDC_REMOVE)).EnableWindow(false);
    }
}

int ManagerDialog::SelectedRow() const {
    int selected = -1;
    int rows = fileList.GetItemCount();
    for (int row = 0; row < rows; ++row) {
        if ((fileList.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0) {
            selected = row;
        }
    }
    return selected;
}

void ManagerDialog::SelectFirstRow() {
    fileList.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    CWnd(GetDlgItem(IDC_REMOVE)).EnableWindow(true);
}

void ManagerDialog::RelocateListedFiles() {
    std::string newFolder = outgoingFolderEdit.GetWindowText();
    if (win::IsSameFolder(newFolder, outgoingFolder)) {
        return;
    }
    std::vector<std::string> stayed;
    int rows = fileList.GetItemCount();
    for (int row = 0; row < rows; ++row) {
        std::string name = fileList.GetItemText(row, 0);
        std::string source = win::JoinPath(outgoingFolder, name);
        std::string target = win::JoinPath(newFolder, name);
        if (!win::FileExists(source) || win::IsSameFile(source, target)) {
            continue;
        }
        if (win::CopyWithoutReplacing(source, target)) {
            win::DeleteFileIfPresent(source);
        } else if (win::PathExists(target)) {
            // The new folder's own file of that name is never replaced; the listed one stays put.
            stayed.push_back(name);
        }
    }
    if (!stayed.empty()) {
        ui.ShowMessage(m_hWnd, FilesLeftBehindMessage(outgoingFolder, stayed), kWarning);
    }
}
