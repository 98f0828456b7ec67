#include "setup/SetupDialog.h"

#include "framework/WinApp.h"
#include "install/ProgramGroup.h"
#include "interfaces/palm/CondMgr.h"
#include "interfaces/unrar/unrar.h"
#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "setup/Folders.h"
#include "setup/SetupMessages.h"
#include "setup/resource.h"
#include "win/Handles.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

using folders::CreateFolderTree;
using folders::FolderExists;

namespace {

const int kTextFontControls[] = {IDC_USE_FIELD, IDC_FOLDER_PURPOSE, IDC_TO_SPECIFY, IDC_BROWSE_PURPOSE};
const int kBoldTextFontControls[] = {IDC_WILL_INSTALL, IDC_ON_COMPUTER, IDC_BROWSE_LABEL};

constexpr int kFoldersProgress = 15;
constexpr int kTransferFoldersProgress = 10;
constexpr int kRegistryProgress = 15;
constexpr int kEntryProgress = 9;
constexpr int kConduitProgress = 15;
constexpr int kShortcutsProgress = 10;

// Table A: why the package could not be opened.
const char* OpenErrorText(unsigned int code) {
    switch (code) {
    case ERAR_NO_MEMORY:
        return "Not enough memory";
    case ERAR_BAD_DATA:
        return "Archive header broken";
    case ERAR_EOPEN:
        return "Cannot open archive";
    default:
        return messages::kUnknownArchiveError;
    }
}

// Table B: why an entry could not be extracted.
const char* ExtractErrorText(int code) {
    switch (code) {
    case ERAR_BAD_DATA:
        return "CRC error";
    case ERAR_BAD_ARCHIVE:
        return "Bad volume";
    case ERAR_UNKNOWN_FORMAT:
        return "Unknown archive format";
    case ERAR_EOPEN:
        return "Volume open error";
    case ERAR_ECREATE:
        return "File create error";
    case ERAR_ECLOSE:
        return "File close error";
    case ERAR_EREAD:
        return "Read error";
    case ERAR_EWRITE:
        return "Write error";
    default:
        return messages::kUnknownArchiveError;
    }
}

// The uninstaller's path as a command line takes it: quoted when it holds a space.
std::string CommandLinePath(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

} // namespace

std::optional<std::string> ReadHotSyncFolder() {
    win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, layout::kHotSyncKeyPath, KEY_READ);
    if (!key) {
        return std::nullopt;
    }
    std::optional<std::string> program = settings::ReadString(key.get(), layout::kHotSyncPathValue);
    if (!program || program->find('\\') == std::string::npos) {
        return std::nullopt;
    }
    return program->substr(0, program->rfind('\\'));
}

SetupDialog::SetupDialog(SetupUi& userInterface, HWND parent)
    : CDialog(IDD_SETUP, parent),
      programIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))), ui(userInterface) {}

void SetupDialog::DoDataExchange() {
    BindControl(progressBar, IDC_PROGRESS);
    BindControl(folderEdit, IDC_FOLDER);
}

BOOL SetupDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(programIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(programIcon));
    folderEdit.SetWindowText(layout::kDefaultInstallFolder);
    MakeFonts();
    std::optional<std::string> folder = ReadHotSyncFolder();
    aborted = false;
    finished = false;
    if (!folder) {
        ShowMessage(messages::kHotSyncNotFound, MB_ICONSTOP | MB_OK);
        aborted = true;
        RecordFailure(SetupOutcome::HotSyncMissing, true);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    hotSyncFolder = *folder;
    return TRUE;
}

void SetupDialog::MakeFonts() {
    welcomeFont = CreatePointFont("Comic Sans MS", 22, true, true);
    textFont = CreatePointFont("MS Sans Serif", 10, false, false);
    boldTextFont = CreatePointFont("MS Sans Serif", 10, true, false);
    CWnd(GetDlgItem(IDC_WELCOME)).SetFont(welcomeFont.get());
    for (int id : kTextFontControls) {
        CWnd(GetDlgItem(id)).SetFont(textFont.get());
    }
    for (int id : kBoldTextFontControls) {
        CWnd(GetDlgItem(id)).SetFont(boldTextFont.get());
    }
}

bool SetupDialog::OnCommand(WORD id, WORD code) {
    if (code != BN_CLICKED) {
        return false;
    }
    switch (id) {
    case IDC_BROWSE:
        OnBrowse();
        return true;
    case IDC_INSTALL:
        OnInstall();
        return true;
    default:
        return false;
    }
}

void SetupDialog::OnBrowse() {
    std::optional<std::string> chosen = ui.ChooseFolder(m_hWnd, messages::kBrowseTitle);
    if (chosen && !chosen->empty()) {
        folderEdit.SetWindowText(*chosen);
    }
}

void SetupDialog::OnCancel() {
    if (aborted || finished) {
        EndDialog(IDCANCEL);
        return;
    }
    if (ShowMessage(messages::kAbortQuestion, MB_ICONQUESTION | MB_YESNO) == IDYES) {
        RecordFailure(SetupOutcome::Cancelled, false);
        EndDialog(IDCANCEL);
    }
}

void SetupDialog::OnInstall() {
    outcome = SetupOutcome::Installed;
    outcomeEndedInstallation = false;
    StartProgress();
    installFolder = SettleInstallFolder();
    Advance(kFoldersProgress);
    CreateTransferFolders();
    Advance(kTransferFoldersProgress);
    WriteSettingsStore();
    WriteUninstallEntry();
    Advance(kRegistryProgress);
    if (!ExtractPackage()) {
        return;
    }
    if (!RegisterConduit()) {
        return;
    }
    Advance(kConduitProgress);
    CreateShortcuts();
    Advance(kShortcutsProgress);
    OfferRestart();
    finished = true;
    SendMessage(WM_CLOSE);
}

void SetupDialog::StartProgress() {
    progressBar.ShowWindow(true);
    progressBar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    progressBar.SendMessage(PBM_SETPOS, 0);
    progressPos = 0;
}

void SetupDialog::Advance(int amount) {
    progressPos += amount;
    progressBar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(progressPos));
}

std::string SetupDialog::SettleInstallFolder() {
    std::string folder = folders::WithoutTrailingBackslashes(folderEdit.GetWindowText());
    // A folder too deep to hold the installation's files is never created.
    bool usable = folders::FitsInstallLayout(folder);
    if (usable) {
        CreateFolderTree(folder);
        usable = FolderExists(folder);
    }
    if (!usable) {
        ShowMessage(messages::kFolderNotCreated, MB_ICONEXCLAMATION | MB_OK);
        RecordFailure(SetupOutcome::DefaultFolderUsed, false);
        folderEdit.SetWindowText(layout::kDefaultInstallFolder);
        folder = layout::kDefaultInstallFolder;
        CreateFolderTree(folder);
    }
    // A relative folder is recorded, extracted into and linked to by its full path.
    return folders::AbsoluteFolder(folder);
}

void SetupDialog::CreateTransferFolders() {
    const std::string outbox = installFolder + settings::kOutboxFolderName;
    const std::string inbox = installFolder + settings::kInboxFolderName;
    CreateFolderTree(outbox);
    CreateFolderTree(inbox);
    if (!FolderExists(outbox) || !FolderExists(inbox)) {
        RecordFailure(SetupOutcome::FoldersNotCreated, false);
    }
}

void SetupDialog::WriteSettingsStore() {
    win::RegKey key = settings::CreateKey(HKEY_CURRENT_USER, settings::kKeyPath);
    HKEY handle = key.get();
    bool written = static_cast<bool>(key);
    written &= settings::WriteString(handle, settings::kPathToManager, installFolder);
    written &= settings::WriteString(handle, settings::kPathToHotSync, hotSyncFolder);
    written &= settings::WriteString(handle, settings::kFolderForSFiles,
                                     installFolder + settings::kOutboxFolderName);
    written &=
        settings::WriteString(handle, settings::kFolderForRFiles, installFolder + settings::kInboxFolderName);
    written &= settings::WriteDword(handle, settings::kFromPalmToPC, settings::kDefaultOverwritePolicy);
    written &= settings::WriteDword(handle, settings::kFromPCToPalm, settings::kDefaultOverwritePolicy);
    written &= settings::WriteDword(handle, settings::kNameWidth, settings::kDefaultNameWidth);
    written &= settings::WriteDword(handle, settings::kSizeWidth, settings::kDefaultColumnWidth);
    written &= settings::WriteDword(handle, settings::kDateWidth, settings::kDefaultColumnWidth);
    written &= settings::WriteDword(handle, settings::kTimeWidth, settings::kDefaultColumnWidth);
    written &= settings::WriteDword(handle, settings::kArchiver, settings::kDefaultArchiver);
    if (!written) {
        RecordFailure(SetupOutcome::SettingsNotWritten, false);
    }
}

void SetupDialog::WriteUninstallEntry() {
    const std::string uninstaller = installFolder + "\\" + layout::kUnInstallFileName;
    win::RegKey key = settings::CreateKey(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath);
    HKEY handle = key.get();
    bool written = static_cast<bool>(key);
    written &= settings::WriteString(handle, layout::kDisplayNameValue, layout::kDisplayName);
    written &= settings::WriteString(handle, layout::kUninstallStringValue, uninstaller);
    written &= settings::WriteString(handle, layout::kDisplayVersionValue, layout::kDisplayVersion);
    written &= settings::WriteString(handle, layout::kPublisherValue, layout::kPublisher);
    written &= settings::WriteString(handle, layout::kDisplayIconValue,
                                     installFolder + "\\" + layout::kManagerFileName);
    written &= settings::WriteString(handle, layout::kInstallLocationValue, installFolder);
    written &= settings::WriteString(handle, layout::kQuietUninstallStringValue,
                                     CommandLinePath(uninstaller) + " " + layout::kSilentSwitch);
    written &= settings::WriteDword(handle, layout::kNoModifyValue, 1);
    written &= settings::WriteDword(handle, layout::kNoRepairValue, 1);
    if (!written) {
        RecordFailure(SetupOutcome::UninstallEntryNotWritten, false);
    }
}

bool SetupDialog::ExtractPackage() {
    win::Module unrar(LoadLibraryA(layout::kUnrarFileName));
    if (!unrar) {
        AbortInstallation(messages::kErrorLoadingDll, SetupOutcome::UnrarNotLoaded);
        return false;
    }
    auto openArchive = win::ProcAddress<RAROpenArchiveFn>(unrar.get(), "RAROpenArchive");
    auto closeArchive = win::ProcAddress<RARCloseArchiveFn>(unrar.get(), "RARCloseArchive");
    auto readHeader = win::ProcAddress<RARReadHeaderFn>(unrar.get(), "RARReadHeader");
    auto processFile = win::ProcAddress<RARProcessFileFn>(unrar.get(), "RARProcessFile");
    if (!openArchive || !closeArchive || !readHeader || !processFile) {
        unrar.reset();
        AbortInstallation(messages::kErrorLoadingFunctions, SetupOutcome::UnrarFunctionsMissing);
        return false;
    }

    char packageName[] = "data.z";
    RAROpenArchiveData open = {};
    open.ArcName = packageName;
    open.OpenMode = RAR_OM_EXTRACT;
    open.CmtBuf = nullptr;
    open.CmtBufSize = 0;
    HANDLE archive = openArchive(&open);
    // A library that reports success without a handle has not opened anything either.
    if (open.OpenResult != ERAR_SUCCESS || archive == nullptr) {
        if (archive != nullptr) {
            closeArchive(archive);
        }
        unrar.reset();
        ShowOpenError(open.OpenResult != ERAR_SUCCESS ? open.OpenResult : ERAR_EOPEN);
        return false;
    }

    std::string hotSyncDestination = folders::FolderForUse(hotSyncFolder);
    std::string installDestination = folders::FolderForUse(installFolder);
    int entry = 1;
    RARHeaderData header = {};
    header.CmtBuf = nullptr;
    int headerResult = ERAR_SUCCESS;
    while ((headerResult = readHeader(archive, &header)) == ERAR_SUCCESS) {
        std::string& destination = entry == 1 ? hotSyncDestination : installDestination;
        std::vector<char> folder(destination.begin(), destination.end());
        folder.push_back('\0');
        int extracted = processFile(archive, RAR_EXTRACT, folder.data(), nullptr);
        ++entry;
        if (extracted != ERAR_SUCCESS) {
            closeArchive(archive);
            unrar.reset();
            ShowExtractError(extracted);
            return false;
        }
        Advance(kEntryProgress);
    }
    if (headerResult != ERAR_END_ARCHIVE) {
        // A package that cannot be read to its end is never reported as installed.
        const char* text =
            headerResult == ERAR_BAD_DATA ? messages::kArchiveHeaderBroken : ExtractErrorText(headerResult);
        ShowMessage(text, MB_ICONSTOP | MB_OK);
        aborted = true;
        RecordFailure(SetupOutcome::PackageHeaderBroken, true);
        PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        closeArchive(archive);
        return false;
    }
    closeArchive(archive);
    return true;
}

void SetupDialog::ShowOpenError(unsigned int code) {
    ShowMessage(OpenErrorText(code), MB_ICONSTOP | MB_OK);
    RecordFailure(SetupOutcome::PackageNotOpened, true);
    PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
}

void SetupDialog::ShowExtractError(int code) {
    ShowMessage(ExtractErrorText(code), MB_ICONSTOP | MB_OK);
    RecordFailure(SetupOutcome::EntryNotExtracted, true);
    PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
}

bool SetupDialog::RegisterConduit() {
    const std::string library = hotSyncFolder + "\\" + layout::kCondMgrFileName;
    win::Module condmgr(LoadLibraryA(library.c_str()));
    if (!condmgr) {
        AbortInstallation(messages::kErrorLoadingDll, SetupOutcome::CondMgrNotLoaded);
        return false;
    }
    auto installCreator =
        win::ProcAddress<condmgr::InstallCreatorFn>(condmgr.get(), condmgr::kInstallCreator);
    auto setCreatorName =
        win::ProcAddress<condmgr::SetCreatorNameFn>(condmgr.get(), condmgr::kSetCreatorName);
    auto setCreatorPriority =
        win::ProcAddress<condmgr::SetCreatorPriorityFn>(condmgr.get(), condmgr::kSetCreatorPriority);
    if (!installCreator || !setCreatorName || !setCreatorPriority) {
        condmgr.reset();
        AbortInstallation(messages::kErrorLoadingFunctions, SetupOutcome::CondMgrFunctionsMissing);
        return false;
    }
    const int installed = installCreator(layout::kCreatorId, condmgr::kTypeApplication);
    if (installed == condmgr::kOk) {
        setCreatorName(layout::kCreatorId, layout::kConduitFileName);
        setCreatorPriority(layout::kCreatorId, layout::kConduitPriority);
    } else if (installed != condmgr::kErrCreatorInUse) {
        // "In use" is a reinstallation: the conduit is registered already, so the step did its job.
        RecordFailure(SetupOutcome::ConduitNotRegistered, false);
    }
    return true;
}

void SetupDialog::CreateShortcuts() {
    // Without the shell's programs folder there is nowhere to put the group: nothing is made.
    std::optional<std::string> group = install::ProgramGroupFolder();
    if (!group) {
        RecordFailure(SetupOutcome::ShortcutsNotCreated, false);
        return;
    }
    CreateFolderTree(*group);
    HRESULT com = CoInitialize(nullptr);
    const std::string folder = folders::FolderForUse(installFolder);
    const std::string prefix = installFolder + "\\";
    const HRESULT results[] = {
        CreateShortcut(prefix + layout::kManagerFileName, folder.c_str(),
                       *group + "\\" + layout::kManagerShortcutName),
        CreateShortcut(prefix + layout::kUnInstallFileName, folder.c_str(),
                       *group + "\\" + layout::kUnInstallShortcutName),
        CreateShortcut(prefix + layout::kHandheldAppFileName, nullptr,
                       *group + "\\" + layout::kHandheldAppShortcutName),
    };
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    for (HRESULT result : results) {
        if (FAILED(result)) {
            RecordFailure(SetupOutcome::ShortcutsNotCreated, false);
        }
    }
}

HRESULT SetupDialog::CreateShortcut(const std::string& target, const char* workingFolder,
                                    const std::string& linkFile) {
    IShellLinkA* link = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      reinterpret_cast<void**>(&link));
    if (FAILED(result)) {
        return result;
    }
    link->SetPath(target.c_str());
    if (workingFolder != nullptr) {
        link->SetWorkingDirectory(workingFolder);
    }
    IPersistFile* file = nullptr;
    result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(result)) {
        int length = MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, nullptr, 0);
        std::vector<wchar_t> wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
        if (length > 0 && MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide.data(), length) > 0) {
            result = file->Save(wide.data(), TRUE);
        } else {
            result = HRESULT_FROM_WIN32(GetLastError());
        }
        file->Release();
    }
    link->Release();
    return result;
}

void SetupDialog::OfferRestart() {
    if (ShowMessage(messages::kInstallationComplete, MB_ICONQUESTION | MB_YESNO) == IDYES) {
        ShowWindow(false);
        ui.RequestRestart();
    }
}

void SetupDialog::AbortInstallation(const char* message, SetupOutcome failure) {
    ShowMessage(message, MB_ICONSTOP | MB_OK);
    aborted = true;
    RecordFailure(failure, true);
    SendMessage(WM_CLOSE);
}

int SetupDialog::ShowMessage(const char* text, UINT style) {
    return ui.ShowMessage(m_hWnd, text, style);
}

void SetupDialog::RecordFailure(SetupOutcome failure, bool endsInstallation) {
    if (outcome == SetupOutcome::Installed || (endsInstallation && !outcomeEndedInstallation)) {
        outcome = failure;
        outcomeEndedInstallation = endsInstallation;
    }
}
