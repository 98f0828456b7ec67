#include "setup/Shortcuts.h"

#include "framework/ComInitialization.h"
#include "install/ProgramGroup.h"
#include "settings/InstalledLayout.h"
#include "setup/Folders.h"
#include "win/ComPtr.h"
#include "win/Paths.h"

#include <objbase.h>
#include <shlobj.h>

#include <optional>

namespace shortcuts {

namespace {

// Only the target and, where given, the working folder are set.
HRESULT CreateShortcut(const std::string& target, const char* workingFolder, const std::string& linkFile) {
    win::ComPtr<IShellLinkA> link;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      reinterpret_cast<void**>(link.receive()));
    if (FAILED(result)) {
        return result;
    }
    link.get()->SetPath(target.c_str());
    if (workingFolder != nullptr) {
        link.get()->SetWorkingDirectory(workingFolder);
    }
    win::ComPtr<IPersistFile> file;
    result = link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.receive()));
    if (FAILED(result)) {
        return result;
    }
    const std::wstring wide = win::ToWide(linkFile);
    if (wide.empty()) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    return file.get()->Save(wide.c_str(), TRUE);
}

} // namespace

bool CreateProgramGroup(const std::string& installFolder) {
    // Without the shell's programs folder there is nowhere to put the group: nothing is made.
    std::optional<std::string> group = install::ProgramGroupFolder();
    if (!group) {
        return false;
    }
    win::CreateFolderTree(*group);
    const ComInitialization com;
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
    for (HRESULT result : results) {
        if (FAILED(result)) {
            return false;
        }
    }
    return true;
}

} // namespace shortcuts
