#include "manager/ManagerDialog.h"

#include "framework/WinApp.h"
#include "manager/OutgoingFiles.h"
#include "win/Paths.h"
#include "manager/resource.h"
#include "settings/Settings.h"

#include <iterator>

namespace {

const int kFilesPageControls[] = {IDC_FILES_FRAME, IDC_FILE_LIST, IDC_ADD, IDC_REMOVE};

const int kSettingsPageControls[] = {IDC_FOLDERS_FRAME,
                                     IDC_OVERWRITE_FRAME,
                                     IDC_PC_TO_PALM_FRAME,
                                     IDC_PALM_TO_PC_FRAME,
                                     IDC_OUTGOING_LABEL,
                                     IDC_INCOMING_LABEL,
                                     IDC_COMPRESSION_FRAME,
                                     IDC_ARCHIVER_FRAME,
                                     IDC_INCOMING_FOLDER,
                                     IDC_OUTGOING_FOLDER,
                                     IDC_BROWSE_OUTGOING,
                                     IDC_BROWSE_INCOMING,
                                     IDC_PC_TO_PALM_OVERWRITE,
                                     IDC_PC_TO_PALM_DO_NOTHING,
                                     IDC_PC_TO_PALM_ASK,
                                     IDC_PALM_TO_PC_OVERWRITE,
                                     IDC_PALM_TO_PC_DO_NOTHING,
                                     IDC_PALM_TO_PC_ASK,
                                     IDC_COMPRESS,
                                     IDC_WINZIP,
                                     IDC_WINRAR};

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

CBitmap LoadBitmapResource(int id) {
    return CBitmap(static_cast<HBITMAP>(
        LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

// An image list holding a strip bitmap with its mask.
CImageList CreateStripImageList(int width, int height, int imagesId, int maskId) {
    CImageList list;
    list.Create(width, height, ILC_COLORDDB | ILC_MASK, 0, 1);
    CBitmap images = LoadBitmapResource(imagesId);
    CBitmap mask = LoadBitmapResource(maskId);
    list.Add(images.get(), mask.get());
    return list;
}

} // namespace

ManagerDialog::ManagerDialog(ManagerUi& userInterface, HWND parent)
    : CDialog(IDD_MANAGER, parent), ui(userInterface),
      programIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      pcToHandheldPolicy(settings::kDefaultOverwritePolicy),
      handheldToPcPolicy(settings::kDefaultOverwritePolicy),
      archiver(settings::kDefaultArchiver), columnWidths{settings::kDefaultNameWidth,
                                                         settings::kDefaultColumnWidth,
                                                         settings::kDefaultColumnWidth,
                                                         settings::kDefaultColumnWidth} {}

void ManagerDialog::DoDataExchange() {
    BindControl(incomingFolderEdit, IDC_INCOMING_FOLDER);
    BindControl(outgoingFolderEdit, IDC_OUTGOING_FOLDER);
    BindControl(fileList, IDC_FILE_LIST);
    BindControl(tabControl, IDC_TABS);
}

BOOL ManagerDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(programIcon));
    SendMessage(WM_SETICON, ICON_SMALL,
                reinterpret_cast<LPARAM>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                                    IMAGE_ICON, 16, 16, LR_SHARED)));
    // The start folder is the base of the default folders, which LoadSettings already needs.
    startFolder = CurrentDirectory();
    LoadSettings();
    ApplySettingsToControls();
    CreateImageLists();
    InsertTabs();
    SetFonts();
    InsertColumns();
    currentPage = FilesPage;
    ShowFilesPage(true);
    FillFileList();
    return TRUE;
}

bool ManagerDialog::OnCommand(WORD id, WORD code) {
    if (code != BN_CLICKED) {
        return false;
    }
    switch (id) {
    case IDC_ADD:
        AddFiles();
        return true;
    case IDC_REMOVE:
        RemoveFile();
        return true;
    case IDC_BROWSE_OUTGOING:
        BrowseOutgoingFolder();
        return true;
    case IDC_BROWSE_INCOMING:
        BrowseIncomingFolder();
        return true;
    case IDC_COMPRESS:
        OnCompressionClicked();
        return true;
    default:
        return false;
    }
}

bool ManagerDialog::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom == IDC_TABS && header.code == TCN_SELCHANGE) {
        OnTabChanged(result);
        return true;
    }
    return false;
}

void ManagerDialog::Close(INT_PTR result) {
    SaveSettings();
    RelocateListedFiles();
    EndDialog(result);
}

void ManagerDialog::OnDestroy() {
    fileList.SetImageList(nullptr, LVSIL_SMALL);
    tabControl.SetImageList(nullptr);
    fileImages.DeleteImageList();
    tabImages.DeleteImageList();
}

void ManagerDialog::OnTabChanged(LRESULT& result) {
    ShowPage(currentPage, false);
    currentPage = tabControl.GetCurSel();
    ShowPage(currentPage, true);
    result = 0;
}

void ManagerDialog::ShowPage(int page, bool show) {
    switch (page) {
    case FilesPage:
        ShowFilesPage(show);
        break;
    case SettingsPage:
        ShowSettingsPage(show);
        break;
    case AboutPage:
        ShowAboutPage(show);
        break;
    default:
        break;
    }
}

void ManagerDialog::ShowFilesPage(bool show) {
    ShowControls(kFilesPageControls, std::size(kFilesPageControls), show);
}

void ManagerDialog::ShowSettingsPage(bool show) {
    ShowControls(kSettingsPageControls, std::size(kSettingsPageControls), show);
}

void ManagerDialog::ShowAboutPage(bool show) {
    ShowControls(kAboutPageControls, std::size(kAboutPageControls), show);
}

void ManagerDialog::ShowControls(const int* ids, size_t count, bool show) const {
    for (size_t i = 0; i < count; ++i) {
        ::ShowWindow(GetDlgItem(ids[i]), show ? SW_SHOW : SW_HIDE);
    }
}

void ManagerDialog::CreateImageLists() {
    fileImages = CreateStripImageList(16, 16, IDB_FILE_TYPES, IDB_FILE_TYPES_MASK);
    fileList.SetImageList(fileImages.GetSafeHandle(), LVSIL_SMALL);
    tabImages = CreateStripImageList(16, 19, IDB_TAB_IMAGES, IDB_TAB_MASK);
    tabControl.SetImageList(tabImages.GetSafeHandle());
}

void ManagerDialog::InsertTabs() {
    tabControl.InsertItem(FilesPage, "Files", 0);
    tabControl.InsertItem(SettingsPage, "Settings", 1);
    tabControl.InsertItem(AboutPage, "About", 2);
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

void ManagerDialog::LoadSettings() {
    settings::Store stored;
    stored.Load();
    // Setup's defaults stand in for values missing from the store. A relative folder stored earlier
    // is taken from the start folder, and means that one folder for the whole run.
    auto fullFolder = [this](const std::string& folder) {
        std::string full = win::FullPathFrom(startFolder, folder);
        return full.empty() ? folder : full;
    };
    outgoingFolder = fullFolder(stored.sendFolder.value_or(settings::DefaultSendFolder(startFolder)));
    incomingFolder = fullFolder(stored.receiveFolder.value_or(settings::DefaultReceiveFolder(startFolder)));
    handheldToPcPolicy = stored.fromPalmToPC.value_or(handheldToPcPolicy);
    pcToHandheldPolicy = stored.fromPCToPalm.value_or(pcToHandheldPolicy);
    archiver = stored.archiver.value_or(archiver);
    for (size_t column = 0; column < std::size(columnWidths); ++column) {
        columnWidths[column] = stored.columnWidths[column].value_or(columnWidths[column]);
    }
}

void ManagerDialog::SaveSettings() {
    DWORD pcToPalm = ReadPolicy(IDC_PC_TO_PALM_OVERWRITE, IDC_PC_TO_PALM_DO_NOTHING);
    DWORD palmToPc = ReadPolicy(IDC_PALM_TO_PC_OVERWRITE, IDC_PALM_TO_PC_DO_NOTHING);
    std::string outgoing =
        AcceptFolder(outgoingFolderEdit, settings::DefaultSendFolder(startFolder),
                     "Folder for files to be transferred is not found! Folder was selected "
                     "by default.");
    std::string incoming =
        AcceptFolder(incomingFolderEdit, settings::DefaultReceiveFolder(startFolder),
                     "Folder for files to be received is not found! Folder was selected by "
                     "default.");
    // The manager never creates the store, and never writes the two install paths.
    settings::Store values;
    values.fromPCToPalm = pcToPalm;
    values.fromPalmToPC = palmToPc;
    if (AreFoldersApart(outgoing, incoming)) {
        values.sendFolder = outgoing;
        values.receiveFolder = incoming;
    }
    for (size_t column = 0; column < std::size(values.columnWidths); ++column) {
        values.columnWidths[column] = static_cast<DWORD>(fileList.GetColumnWidth(static_cast<int>(column)));
    }
    values.archiver = ReadArchiver();
    values.Save(settings::Store::Key::MustExist);
}
