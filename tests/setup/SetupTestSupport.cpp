#include "SetupTestSupport.h"

#include "win/Paths.h"

#include "framework/WinApp.h"
#include "install/ProgramGroup.h"
#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "setup/resource.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

int ScriptedUi::ShowMessage(HWND window, const std::string& text, UINT style) {
    char field[1024] = {};
    GetDlgItemTextA(window, IDC_FOLDER, field, sizeof(field));
    int bar = static_cast<int>(SendDlgItemMessageA(window, IDC_PROGRESS, PBM_GETPOS, 0, 0));
    messages.push_back({text, style, field, bar});
    owner = window;
    return testsupport::NextAnswer(answers, style, IDNO);
}

std::optional<std::string> ScriptedUi::ChooseFolder(HWND, const char* title) {
    folderTitles.push_back(title);
    return folderToChoose;
}

void ScriptedUi::RequestRestart() {
    ++restartRequests;
    visibleAtRestart = owner != nullptr && IsWindowVisible(owner);
}

std::vector<std::string> ScriptedUi::Texts() const {
    return testsupport::MessageTexts(messages);
}

std::optional<ShortcutInfo> ReadShortcut(const std::string& path) {
    if (!FileExists(path)) {
        return std::nullopt;
    }
    HRESULT com = CoInitialize(nullptr);
    std::optional<ShortcutInfo> info;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Load(win::ToWide(path).c_str(), STGM_READ))) {
                char target[MAX_PATH] = {}, folder[MAX_PATH] = {}, arguments[MAX_PATH] = {};
                link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
                link->GetWorkingDirectory(folder, MAX_PATH);
                link->GetArguments(arguments, MAX_PATH);
                info = ShortcutInfo{target, folder, arguments};
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return info;
}

namespace {

void PlaceDouble(Double which, const char* name, const std::string& folder) {
    if (which == Double::Missing) {
        DeleteFileA((folder + "\\" + name + ".dll").c_str());
        return;
    }
    if (which == Double::Real) {
        std::string built = testsupport::ProgramFolder() + "\\..\\" + name + ".dll";
        CopyFileA(built.c_str(), (folder + "\\" + name + ".dll").c_str(), FALSE);
        return;
    }
    std::string variant = std::string(name) + (which == Double::Incomplete ? "-incomplete" : "");
    std::string source = testsupport::ProgramFolder() + "\\doubles\\" + variant + "\\" + name + ".dll";
    CopyFileA(source.c_str(), (folder + "\\" + name + ".dll").c_str(), FALSE);
}

} // namespace

std::string RealPackage() {
    return testsupport::ProgramFolder() + "\\..\\..\\dist\\data.z";
}

SetupWorld::SetupWorld(Double unrar, Double condmgr) {
    RemoveInstallationTraces();
    CreateDirectoryA(packageFolder().c_str(), nullptr);
    CreateDirectoryA(hotSyncFolder().c_str(), nullptr);
    PlaceDoubles(unrar, condmgr);
    SetHotSyncPath(hotSyncFolder() + "\\HotSync.exe");
    inPackageFolder_ = std::make_unique<CurrentDirectoryScope>(packageFolder());
}

SetupWorld::~SetupWorld() {
    inPackageFolder_.reset();
    RemoveInstallationTraces();
    DeleteHotSyncKey();
}

void SetupWorld::PlaceDoubles(Double unrar, Double condmgr) const {
    PlaceDouble(unrar, "unrar", packageFolder());
    PlaceDouble(condmgr, "condmgr", hotSyncFolder());
}

void SetupWorld::WritePackage(const std::vector<std::string>& lines) const {
    std::string content = "KESTRIN-TEST-PACKAGE\n";
    for (const std::string& line : lines) {
        content += line + "\n";
    }
    testsupport::WriteBytes(packageFolder() + "\\data.z", content);
}

void SetupWorld::WriteFourEntryPackage() const {
    WritePackage({"entry KestrinConduit.dll conduit", "entry KestrinManager.exe manager",
                  "entry UnInstall.exe uninstaller", "entry Kestrin.prc handheld"});
}

void SetupWorld::SetInstallCreatorResult(int result) const {
    testsupport::WriteBytes(hotSyncFolder() + "\\install-result.txt", std::to_string(result));
}

std::string SetupWorld::CondMgrCalls() const {
    return testsupport::ReadBytes(hotSyncFolder() + "\\calls.log").value_or("");
}

void SetHotSyncPath(const std::string& program) {
    SetHotSyncValue(REG_SZ, program + std::string(1, '\0'));
}

void SetHotSyncValue(DWORD type, const std::string& bytes) {
    DeleteHotSyncKey();
    win::RegKey key = settings::CreateKey(HKEY_CURRENT_USER, layout::kHotSyncKeyPath);
    testsupport::WriteRawValue(key.get(), layout::kHotSyncPathValue, type, bytes);
}

void DeleteHotSyncKey() {
    RegDeleteKeyA(HKEY_CURRENT_USER, layout::kHotSyncKeyPath);
}

std::string ProgramGroup() {
    return install::ProgramGroupFolder().value_or("<no programs folder>");
}

std::string DefaultInstallFolder() {
    return layout::kDefaultInstallFolder;
}

void RemoveInstallationTraces() {
    testsupport::RemoveInstallationKeys();
    testsupport::RemoveTree(ProgramGroup());
    if (auto parent = install::ProgramGroupParentFolder()) {
        RemoveDirectoryA(parent->c_str());
    }
    testsupport::RemoveTree(DefaultInstallFolder());
    RemoveDirectoryA("C:\\Program Files\\Orvelle");
}

OpenSetup::OpenSetup(ScriptedUi& ui) {
    static CModuleContext resources(GetModuleHandleA(nullptr));
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    dialog_ = std::make_unique<CModeless<SetupDialog>>(ui);
    if (dialog_->Create() && IsOpen()) {
        ShowWindow(window(), SW_SHOW);
    }
}

void OpenSetup::TypeFolder(const std::string& text) const {
    SendMessageA(Control(IDC_FOLDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string OpenSetup::FolderText() const {
    int length = GetWindowTextLengthA(Control(IDC_FOLDER));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(Control(IDC_FOLDER), text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

void OpenSetup::Install() const {
    Click(IDC_INSTALL);
}

void OpenSetup::Click(int id) const {
    SendMessageA(Control(id), BM_CLICK, 0, 0);
    PumpMessages();
}

void OpenSetup::CloseBox() const {
    SendMessageA(window(), WM_CLOSE, 0, 0);
    PumpMessages();
}

void OpenSetup::PumpMessages() const {
    testsupport::PumpMessages(window());
}

int OpenSetup::BarPosition() const {
    return static_cast<int>(SendMessageA(Control(IDC_PROGRESS), PBM_GETPOS, 0, 0));
}
