#include "manager/ManagerDialog.h"

#include "manager/resource.h"
#include "win/Paths.h"

#include <iterator>
#include <optional>

namespace {

const int kAboutPageControls[] = {
    IDC_ABOUT_FRAME, IDC_ABOUT_TITLE,   IDC_ABOUT_SUBTITLE, IDC_WRITTEN_BY_LABEL,
    IDC_AUTHORS,     IDC_ABOUT_PICTURE, IDC_URL_LABEL,      IDC_URL,
    IDC_EMAIL_LABEL, IDC_EMAIL};

const int kBoldFontControls[] = {IDC_FILES_FRAME,
                                 IDC_FOLDERS_FRAME,
                                 IDC_OVERWRITE_FRAME,
                                 IDC_COMPRESSION_FRAME,
                                 IDC_WRITTEN_BY_LABEL,
                                 IDC_AUTHORS,
                                 IDOK,
                                 IDC_ADD,
                                 IDC_REMOVE,
                                 IDC_BROWSE_OUTGOING,
                                 IDC_BROWSE_INCOMING};

std::string CurrentDirectory() {
    char folder[MAX_PATH] = {};
    DWORD length = GetCurrentDirectoryA(sizeof(folder), folder);
    return length > 0 && length < sizeof(folder) ? std::string(folder, length) : std::string();
}

} // namespace

ManagerDialog::ManagerDialog(ManagerUi& userInterface, HWND parent)
    : CDialog(IDD_MANAGER, parent), filesPage(userInterface), settingsPage(userInterface),
      aboutPage(kAboutPageControls) {}

void ManagerDialog::DoDataExchange() {
    BindControl(tabControl, IDC_TABS);
    for (int tab : {FilesTab, SettingsTab, AboutTab}) {
        PageOf(tab).Bind(m_hWnd);
    }
}

BOOL ManagerDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetProgramIcon(IDR_MAINFRAME);
    // The start folder is the base of the default folders, which the start values already need.
    startFolder = CurrentDirectory();
    const settings::Store values = StartValues();
    settingsPage.Open(values, startFolder);
    tabImages = CreateStripImageList(16, 19, IDB_TAB_IMAGES, IDB_TAB_MASK);
    tabControl.SetImageList(tabImages.GetSafeHandle());
    InsertTabs();
    SetFonts();
    currentTab = FilesTab;
    filesPage.Show(true);
    filesPage.Open(*values.sendFolder, values);
    return TRUE;
}

bool ManagerDialog::OnCommand(WORD id, WORD code) {
    // Only the page on show has its buttons on show.
    return code == BN_CLICKED && PageOf(currentTab).OnClicked(id);
}

bool ManagerDialog::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_TABS && header.code == TCN_SELCHANGE) {
        OnTabChanged(result);
        return true;
    }
    return false;
}

void ManagerDialog::Close(INT_PTR result) {
    // The manager never creates the store, and never writes the two install paths.
    settings::Store values;
    settingsPage.Collect(values);
    filesPage.CollectColumnWidths(values);
    values.Save(settings::Store::Key::MustExist);
    filesPage.MoveQueueInto(settingsPage.OutgoingFolder());
    EndDialog(result);
}

void ManagerDialog::OnDestroy() {
    filesPage.Close();
    tabControl.SetImageList(nullptr);
    tabImages.DeleteImageList();
}

settings::Store ManagerDialog::StartValues() const {
    settings::Store values = settings::Store::Defaults(startFolder, std::string());
    settings::Store stored;
    stored.Load();
    auto keepStored = [](auto& value, const auto& storedValue) {
        if (storedValue) {
            value = storedValue;
        }
    };
    keepStored(values.sendFolder, stored.sendFolder);
    keepStored(values.receiveFolder, stored.receiveFolder);
    keepStored(values.fromPalmToPC, stored.fromPalmToPC);
    keepStored(values.fromPCToPalm, stored.fromPCToPalm);
    keepStored(values.archiver, stored.archiver);
    for (size_t column = 0; column < std::size(values.columnWidths); ++column) {
        keepStored(values.columnWidths[column], stored.columnWidths[column]);
    }
    // A relative folder stored earlier is taken from the start folder, and means that one folder
    // for the whole run.
    for (std::optional<std::string>* folder : {&values.sendFolder, &values.receiveFolder}) {
        std::string full = win::FullPathFrom(startFolder, **folder);
        if (!full.empty()) {
            *folder = full;
        }
    }
    return values;
}

void ManagerDialog::OnTabChanged(LRESULT& result) {
    PageOf(currentTab).Show(false);
    currentTab = tabControl.GetCurSel();
    PageOf(currentTab).Show(true);
    result = 0;
}

DialogPage& ManagerDialog::PageOf(int tab) {
    switch (tab) {
    case FilesTab:
        return filesPage;
    case SettingsTab:
        return settingsPage;
    default:
        return aboutPage;
    }
}

void ManagerDialog::InsertTabs() {
    tabControl.InsertItem(FilesTab, "Files", 0);
    tabControl.InsertItem(SettingsTab, "Settings", 1);
    tabControl.InsertItem(AboutTab, "About", 2);
}

void ManagerDialog::SetFonts() {
    LOGFONTA dialogFont = {};
    GetObjectA(CWnd(GetDlgItem(IDC_FILES_FRAME)).GetFont(), sizeof(dialogFont), &dialogFont);
    dialogFont.lfWeight = FW_BOLD;
    boldFont.reset(CreateFontIndirectA(&dialogFont));
    for (int id : kBoldFontControls) {
        CWnd(GetDlgItem(id)).SetFont(boldFont.get());
    }
    titleFont = CreatePointFont("Courier New", 28, true, false);
    CWnd(GetDlgItem(IDC_ABOUT_TITLE)).SetFont(titleFont.get());
    subtitleFont = CreatePointFont("Times New Roman", 12, true, true);
    CWnd(GetDlgItem(IDC_ABOUT_SUBTITLE)).SetFont(subtitleFont.get());
}
