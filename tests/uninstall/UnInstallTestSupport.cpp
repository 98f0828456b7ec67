#include "UnInstallTestSupport.h"

#include "framework/WinApp.h"
#include "install/ProgramGroup.h"
#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "uninstall/resource.h"

#include <cstdio>

int ScriptedUi::ShowMessage(HWND, const std::string& text, UINT style) {
    messages.push_back({text, style});
    return testsupport::NextAnswer(answers, style, IDYES);
}

std::vector<std::string> ScriptedUi::Texts() const {
    return testsupport::MessageTexts(messages);
}

namespace {

void MakeFolder(const std::string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
}

void PlaceCondMgr(CondMgr kind, const std::string& target) {
    const std::string programs = testsupport::ProgramFolder();
    switch (kind) {
    case CondMgr::Working:
        CopyFileA(testsupport::Join(programs, "test_condmgr.dll").c_str(), target.c_str(), FALSE);
        break;
    case CondMgr::WithoutCall:
        CopyFileA(testsupport::Join(programs, "test_condmgr_without_call.dll").c_str(), target.c_str(),
                  FALSE);
        break;
    case CondMgr::Emulated:
        CopyFileA(testsupport::Join(programs, "condmgr.dll").c_str(), target.c_str(), FALSE);
        break;
    case CondMgr::Damaged:
        testsupport::WriteBytes(target, "MZ this is not a library");
        break;
    case CondMgr::Missing:
        break;
    }
}

} // namespace

FakeInstallation::FakeInstallation(CondMgr condMgr) : root("uninstall") {
    hotSyncFolder = root / "Palm";
    MakeFolder(hotSyncFolder);
    MakeFolder(root / "Program Files");
    MakeFolder(root / "Program Files\\Orvelle");
    installFolder = root / "Program Files\\Orvelle\\Kestrin Manager";
    MakeFolder(installFolder);

    testsupport::WriteBytes(InHotSync(layout::kConduitFileName), "conduit");
    PlaceCondMgr(condMgr, InHotSync(layout::kCondMgrFileName));
    testsupport::WriteBytes(InInstall(layout::kManagerFileName), "manager");
    testsupport::WriteBytes(InInstall(layout::kHandheldAppFileName), "handheld application");
    testsupport::WriteBytes(InInstall(layout::kUnInstallFileName), "uninstaller");
    MakeFolder(installFolder + settings::kInboxFolderName);
    MakeFolder(installFolder + settings::kOutboxFolderName);

    testsupport::RemoveInstallationKeys();
    {
        win::RegKey store = settings::CreateKey(HKEY_CURRENT_USER, settings::kKeyPath);
        settings::WriteString(store.get(), settings::kPathToManager, installFolder);
        settings::WriteString(store.get(), settings::kPathToHotSync, hotSyncFolder);
        settings::WriteString(store.get(), settings::kFolderForSFiles,
                              installFolder + settings::kOutboxFolderName);
        settings::WriteString(store.get(), settings::kFolderForRFiles,
                              installFolder + settings::kInboxFolderName);
        for (const char* name : {settings::kFromPalmToPC, settings::kFromPCToPalm}) {
            settings::WriteDword(store.get(), name, settings::kDefaultOverwritePolicy);
        }
        settings::WriteDword(store.get(), settings::kNameWidth, settings::kDefaultNameWidth);
        for (const char* name : {settings::kSizeWidth, settings::kDateWidth, settings::kTimeWidth}) {
            settings::WriteDword(store.get(), name, settings::kDefaultColumnWidth);
        }
        settings::WriteDword(store.get(), settings::kArchiver, settings::kDefaultArchiver);
        win::RegKey entry = settings::CreateKey(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath);
        settings::WriteString(entry.get(), layout::kDisplayNameValue, layout::kDisplayName);
        settings::WriteString(entry.get(), layout::kUninstallStringValue,
                              "\"" + InInstall(layout::kUnInstallFileName) + "\"");
    }

    std::optional<std::string> parent = install::ProgramGroupParentFolder();
    programGroup = install::ProgramGroupFolder().value_or(std::string());
    if (parent) {
        madeGroupParent_ = !FolderExists(*parent);
        MakeFolder(*parent);
        testsupport::RemoveTree(programGroup);
        MakeFolder(programGroup);
        for (const char* name : {layout::kManagerShortcutName, layout::kUnInstallShortcutName,
                                 layout::kHandheldAppShortcutName}) {
            testsupport::WriteBytes(InGroup(name), "shortcut");
        }
    }
}

FakeInstallation::~FakeInstallation() {
    testsupport::RemoveInstallationKeys();
    if (!programGroup.empty()) {
        testsupport::RemoveTree(programGroup);
    }
    if (madeGroupParent_) {
        RemoveDirectoryA(install::ProgramGroupParentFolder().value_or(std::string()).c_str());
    }
}

void FakeInstallation::StoreString(const char* name, const std::string& value) const {
    win::RegKey store = settings::CreateKey(HKEY_CURRENT_USER, settings::kKeyPath);
    settings::WriteString(store.get(), name, value);
}

void FakeInstallation::StoreRaw(const char* name, DWORD type, const std::string& bytes) const {
    win::RegKey store = settings::CreateKey(HKEY_CURRENT_USER, settings::kKeyPath);
    testsupport::WriteRawValue(store.get(), name, type, bytes);
}

void FakeInstallation::DeleteValue(const char* name) const {
    win::RegKey store = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
    RegDeleteValueA(store.get(), name);
}

std::vector<std::string> FakeInstallation::CondMgrCalls() const {
    // The creators UnInstall asked to remove, in order.
    const std::string removal = "CmRemoveConduitByCreatorID ";
    std::vector<std::string> calls;
    std::string text = testsupport::ReadBytes(InHotSync("calls.log")).value_or("");
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        if (text.compare(start, removal.size(), removal) == 0) {
            calls.push_back(text.substr(start + removal.size(), end - start - removal.size()));
        }
    }
    return calls;
}

void FakeInstallation::SetCondMgrResult(int result) const {
    testsupport::WriteBytes(InHotSync("remove-result.txt"), std::to_string(result));
}

bool FakeInstallation::EverythingRemoved() const {
    return !FileExists(InHotSync(layout::kConduitFileName)) &&
           !FileExists(InInstall(layout::kManagerFileName)) &&
           !FileExists(InInstall(layout::kHandheldAppFileName)) &&
           !FolderExists(installFolder + settings::kInboxFolderName) &&
           !FolderExists(installFolder + settings::kOutboxFolderName) &&
           !KeyExists(HKEY_CURRENT_USER, settings::kKeyPath) &&
           !KeyExists(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath) && !FolderExists(programGroup);
}

OpenUnInstall::OpenUnInstall(ScriptedUi& ui, bool pump) {
    static CModuleContext resources(GetModuleHandleA(nullptr));
    dialog_ = std::make_unique<CModeless<UnInstallDialog>>(ui);
    if (dialog_->Create() && IsOpen()) {
        ShowWindow(window(), SW_SHOW);
        if (pump) {
            PumpMessages();
        }
    }
}

OpenUnInstall::~OpenUnInstall() {
    if (IsOpen()) {
        DestroyWindow(window());
    }
}

bool OpenUnInstall::IsShown(int id) const {
    return (GetWindowLongA(Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string OpenUnInstall::Text(int id) const {
    char text[512] = {};
    GetWindowTextA(Control(id), text, sizeof(text));
    return text;
}

std::vector<int> OpenUnInstall::Marks() const {
    std::vector<int> steps;
    for (int step = 1; step <= kRemovalStepCount; ++step) {
        if (IsShown(IDC_MARK_CONDUIT + step - 1)) {
            steps.push_back(step);
        }
    }
    return steps;
}

bool OpenUnInstall::WarningShown() const {
    return IsShown(IDC_WARNING_FRAME) && IsShown(IDC_WARNING_MARK) && IsShown(IDC_WARNING_LINE1) &&
           IsShown(IDC_WARNING_LINE2);
}

std::vector<std::string> OpenUnInstall::StepLabels() const {
    std::vector<std::string> labels;
    for (HWND child = GetWindow(window(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == 0xFFFF || GetDlgCtrlID(child) == -1) {
            char text[128] = {};
            GetWindowTextA(child, text, sizeof(text));
            labels.push_back(text);
        }
    }
    return labels;
}

void OpenUnInstall::PressOk() const {
    SendMessageA(Control(IDCANCEL), BM_CLICK, 0, 0);
    PumpMessages();
}

void OpenUnInstall::PressEscape() const {
    testsupport::PressKey(window(), VK_ESCAPE);
    PumpMessages();
}

void OpenUnInstall::PressEnter() const {
    testsupport::PressKey(window(), VK_RETURN);
    PumpMessages();
}

void OpenUnInstall::CloseBox() const {
    SendMessageA(window(), WM_CLOSE, 0, 0);
    PumpMessages();
}

void OpenUnInstall::PumpMessages() const {
    testsupport::PumpMessages(window());
}
