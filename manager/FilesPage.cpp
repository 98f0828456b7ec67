#include "manager/FilesPage.h"

#include "manager/OutgoingFiles.h"
#include "manager/resource.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

namespace {

using Outcome = OutgoingQueue::Outcome;

const int kControls[] = {IDC_FILES_FRAME, IDC_FILE_LIST, IDC_ADD, IDC_REMOVE};

constexpr UINT kWarning = MB_ICONEXCLAMATION | MB_OK;

const char* const kColumnHeadings[] = {"Name", "Size", "Date", "Time"};

// Add's answer for a file that the conduit would pass over, an empty one with words of its own.
std::string HeldBackMessage(const std::string& name, settings::OutgoingVerdict verdict) {
    if (verdict == settings::OutgoingVerdict::Empty) {
        return "File " + name + " has zero length, so it not there was is added in list!";
    }
    return "File " + name + " cannot be transferred to Palm: " + settings::DescribeVerdict(verdict) +
           ". It was not added to the list.";
}

// Add's answer for a chosen file that was not queued; nothing when it was, or when the folder
// itself refused it, which has a message of its own.
std::optional<std::string> RefusalMessage(const OutgoingQueue::Addition& addition) {
    const std::string& name = addition.name;
    switch (addition.outcome) {
    case Outcome::ReservedName:
        return "File " + name +
               " has a name that Kestrin reserves for its own use, so it was not added to the list.";
    case Outcome::AlreadyQueued:
        return "File " + name + " already exists in the list! Rename the file and try once again.";
    case Outcome::HeldBack:
        return HeldBackMessage(name, addition.verdict);
    case Outcome::NotCopied:
        return "File " + name +
               " could not be copied into the folder for files to be transferred, so it was not added to the "
               "list.";
    case Outcome::Added:
    case Outcome::FolderTakesNoFile:
        break;
    }
    return std::nullopt;
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
    std::string text =
        "These files were not moved into the new folder for files to be transferred, because "
        "files of the same names are already there or they could not be copied. They stay in " +
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

FilesPage::FilesPage(ManagerUi& userInterface) : DialogPage(kControls), ui(userInterface) {}

void FilesPage::Bind(HWND window) {
    DialogPage::Bind(window);
    dialog.BindControl(fileList, IDC_FILE_LIST);
}

bool FilesPage::OnClicked(WORD id) {
    switch (id) {
    case IDC_ADD:
        AddFiles();
        return true;
    case IDC_REMOVE:
        RemoveFile();
        return true;
    default:
        return false;
    }
}

void FilesPage::Open(const std::string& outgoingFolder, const settings::Store& values) {
    fileImages = CreateStripImageList(16, 16, IDB_FILE_TYPES, IDB_FILE_TYPES_MASK);
    fileList.SetImageList(fileImages.GetSafeHandle(), LVSIL_SMALL);
    for (int column = 0; column < static_cast<int>(std::size(kColumnHeadings)); ++column) {
        fileList.InsertColumn(column, kColumnHeadings[column],
                              static_cast<int>(*values.columnWidths[column]));
    }
    queue = OutgoingQueue(outgoingFolder);
    fileList.SendMessage(WM_SETREDRAW, FALSE);
    for (const OutgoingQueue::File& file : queue.files()) {
        AppendRow(file);
    }
    fileList.SendMessage(WM_SETREDRAW, TRUE);
    if (fileList.GetItemCount() > 0) {
        SelectFirstRow();
    }
}

void FilesPage::CollectColumnWidths(settings::Store& values) const {
    for (size_t column = 0; column < std::size(values.columnWidths); ++column) {
        values.columnWidths[column] = static_cast<DWORD>(fileList.GetColumnWidth(static_cast<int>(column)));
    }
}

void FilesPage::MoveQueueInto(const std::string& newFolder) {
    std::vector<std::string> stayed = queue.MoveInto(newFolder);
    if (!stayed.empty()) {
        ui.ShowMessage(dialog.GetSafeHwnd(), FilesLeftBehindMessage(queue.folder(), stayed), kWarning);
    }
}

void FilesPage::Close() {
    fileList.SetImageList(nullptr, LVSIL_SMALL);
    fileImages.DeleteImageList();
}

void FilesPage::AppendRow(const OutgoingQueue::File& file) {
    int row = fileList.InsertItem(fileList.GetItemCount(), file.name, LookupImage(ExtensionOf(file.name)));
    if (row < 0) {
        return;
    }
    SYSTEMTIME written = LocalTimeOf(file.lastWriteTime);
    fileList.SetItemText(row, 1, FormatSize(file.size));
    fileList.SetItemText(row, 2, FormatDate(written));
    fileList.SetItemText(row, 3, FormatTime(written));
}

void FilesPage::AddFiles() {
    std::optional<std::vector<std::string>> chosen = ui.ChooseFiles(dialog.GetSafeHwnd());
    if (!chosen) {
        return;
    }
    // The chooser's answer ends at its first empty name; nothing after it was chosen.
    auto end = std::find(chosen->begin(), chosen->end(), std::string());
    for (auto path = chosen->begin(); path != end; ++path) {
        OutgoingQueue::Addition addition = queue.Add(*path);
        if (addition.outcome == Outcome::FolderTakesNoFile) {
            ui.ShowMessage(dialog.GetSafeHwnd(),
                           FolderRefusedMessage(queue.folder(), addition.name, path + 1 != end), kWarning);
            break;
        }
        if (addition.outcome == Outcome::Added) {
            AppendRow(queue.files().back());
        } else if (std::optional<std::string> message = RefusalMessage(addition)) {
            ui.ShowMessage(dialog.GetSafeHwnd(), *message, kWarning);
        }
    }
    if (fileList.GetItemCount() > 0) {
        SelectFirstRow();
    }
}

void FilesPage::RemoveFile() {
    int row = SelectedRow();
    if (row < 0) {
        return;
    }
    // The name the user was asked about is the one removed.
    std::string name = fileList.GetItemText(row, 0);
    if (ui.ShowMessage(dialog.GetSafeHwnd(), "Are you sure do you want to delete file " + name + "?",
                       MB_ICONQUESTION | MB_YESNO) != IDYES) {
        return;
    }
    if (!queue.Remove(name)) {
        ui.ShowMessage(
            dialog.GetSafeHwnd(),
            "File " + name +
                " could not be deleted from the folder for files to be transferred, so it stays in "
                "the list.",
            kWarning);
        return;
    }
    fileList.DeleteItem(row);
    if (fileList.GetItemCount() == 0) {
        Enable(IDC_REMOVE, false);
    }
}

int FilesPage::SelectedRow() const {
    int selected = -1;
    int rows = fileList.GetItemCount();
    for (int row = 0; row < rows; ++row) {
        if ((fileList.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0) {
            selected = row;
        }
    }
    return selected;
}

void FilesPage::SelectFirstRow() {
    fileList.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Enable(IDC_REMOVE, true);
}
