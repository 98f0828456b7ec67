// The removal dialog driven through its window: the confirmation, the six steps with their marks,
// the warning group, the self-deletion entry and the restart question.
#include "UnInstallTestSupport.h"

#include "interfaces/palm/CondMgr.h"
#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "uninstall/resource.h"
#include "win/Handles.h"

#include <doctest/doctest.h>

#include <algorithm>

namespace {

constexpr UINT kQuestion = MB_YESNO | MB_ICONQUESTION;
constexpr UINT kStop = MB_OK | MB_ICONSTOP;

std::vector<int> AllStepsBut(int failed) {
    std::vector<int> steps;
    for (int step : kAllSteps) {
        if (step != failed) {
            steps.push_back(step);
        }
    }
    return steps;
}

LOGFONTA FontOf(HWND control) {
    LOGFONTA description = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof(description),
               &description);
    return description;
}

int PointsToPixels(int points) {
    HDC screen = GetDC(nullptr);
    int pixels = MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The creators registered with a Conduit Manager library, loaded by its full path.
std::vector<std::string> RegisteredCreators(const std::string& library) {
    std::vector<std::string> creators;
    win::Module condMgr(LoadLibraryA(library.c_str()));
    auto count = win::ProcAddress<condmgr::GetConduitCountFn>(condMgr.get(), condmgr::kGetConduitCount);
    auto creatorAt =
        win::ProcAddress<condmgr::GetCreatorIDByIndexFn>(condMgr.get(), condmgr::kGetCreatorIDByIndex);
    for (int index = 0; count != nullptr && creatorAt != nullptr && index < count(); ++index) {
        char creator[5] = {};
        if (creatorAt(index, creator) == condmgr::kOk) {
            creators.push_back(creator);
        }
    }
    return creators;
}

void Register(const std::string& library, const char* creator, const char* conduit) {
    win::Module condMgr(LoadLibraryA(library.c_str()));
    auto install = win::ProcAddress<condmgr::InstallCreatorFn>(condMgr.get(), condmgr::kInstallCreator);
    auto setName = win::ProcAddress<condmgr::SetCreatorNameFn>(condMgr.get(), condmgr::kSetCreatorName);
    REQUIRE((install != nullptr && setName != nullptr));
    install(creator, condmgr::kTypeApplication);
    setName(creator, conduit);
}

void Unregister(const std::string& library, const char* creator) {
    win::Module condMgr(LoadLibraryA(library.c_str()));
    auto remove = win::ProcAddress<condmgr::RemoveConduitByCreatorIDFn>(condMgr.get(),
                                                                        condmgr::kRemoveConduitByCreatorID);
    if (remove != nullptr) {
        remove(creator);
    }
}

bool Contains(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

std::string ShortPath(const std::string& path) {
    char shortPath[MAX_PATH] = {};
    GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return shortPath;
}

} // namespace

TEST_SUITE("removal dialog") {

    TEST_CASE("before the removal runs the dialog shows its labels, hides every mark and takes no input") {
        FakeInstallation installation;
        ScriptedUi ui;
        OpenUnInstall open(ui, false);
        REQUIRE(open.IsOpen());

        REQUIRE(ui.messages.size() == 1);
        CHECK(ui.messages[0].text ==
              "Are you sure do you want to completely remove \"Kestrin v2.1\"\nand all of its "
              "components from your computer?");
        CHECK(ui.messages[0].style == kQuestion);

        char title[64] = {};
        GetWindowTextA(open.window(), title, sizeof(title));
        CHECK(std::string(title) == "Kestrin uninstaller");
        CHECK(SendMessageA(open.window(), WM_GETICON, ICON_BIG, 0) != 0);
        CHECK(SendMessageA(open.window(), WM_GETICON, ICON_SMALL, 0) != 0);
        CHECK(open.Text(IDC_HEADLINE) == "Removing Kestrin from your system...");
        CHECK(open.StepLabels() ==
              std::vector<std::string>{"Delete conduit", "Delete conduit registry entries",
                                       "Delete manager files", "Delete program folders",
                                       "Delete registry entries", "Delete program group"});
        for (int id = IDC_MARK_CONDUIT; id <= IDC_MARK_PROGRAM_GROUP; ++id) {
            CHECK(open.Text(id) == "Ok!");
        }
        CHECK(open.Marks().empty());
        CHECK_FALSE(open.IsShown(IDC_WARNING_FRAME));
        CHECK_FALSE(open.IsShown(IDC_WARNING_MARK));
        CHECK_FALSE(open.IsShown(IDC_WARNING_LINE1));
        CHECK_FALSE(open.IsShown(IDC_WARNING_LINE2));
        CHECK(open.Text(IDC_WARNING_LINE1) == "Some elements not were are removed.");
        CHECK(open.Text(IDC_WARNING_LINE2) == "You may delete them by itself.");
        CHECK(open.Text(IDC_WARNING_MARK) == "!");
        CHECK(open.Text(IDCANCEL) == "Ok");
        CHECK_FALSE(open.IsEnabled(IDCANCEL));

        LOGFONTA headline = FontOf(open.Control(IDC_HEADLINE));
        CHECK(std::string(headline.lfFaceName) == "MS Sans Serif");
        CHECK(headline.lfWeight == FW_BOLD);
        CHECK(headline.lfHeight == -PointsToPixels(10));
        LOGFONTA mark = FontOf(open.Control(IDC_WARNING_MARK));
        CHECK(std::string(mark.lfFaceName) == "Times New Roman");
        CHECK(mark.lfWeight == FW_BOLD);
        CHECK(mark.lfHeight == -PointsToPixels(22));

        // A close request before the removal has run is not taken.
        SendMessageA(open.window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        CHECK(open.IsOpen());
        CHECK(ui.messages.size() == 1);
        CHECK(installation.EverythingRemoved() == false);

        open.PumpMessages();
        CHECK(open.Marks() == kAllSteps);
        CHECK(open.IsEnabled(IDCANCEL));
    }

    TEST_CASE(
        "the template places every control where the layout puts it, in a modal popup with a close box") {
        FakeInstallation installation;
        ScriptedUi ui;
        OpenUnInstall open(ui, false);
        REQUIRE(open.IsOpen());
        HWND dialog = open.window();
        LONG style = GetWindowLongA(dialog, GWL_STYLE);
        CHECK((style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME)) ==
              (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));

        auto inPixels = [dialog](int x, int y, int width, int height) {
            RECT units = {x, y, x + width, y + height};
            MapDialogRect(dialog, &units);
            return units;
        };
        auto placed = [dialog](HWND control) {
            RECT rect = {};
            GetWindowRect(control, &rect);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
            return rect;
        };
        auto same = [](const RECT& a, const RECT& b) {
            return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
        };
        RECT client = {};
        GetClientRect(dialog, &client);
        CHECK(same(client, inPixels(0, 0, 215, 146)));

        struct Placed {
            int id, x, y, width, height;
        };
        const Placed controls[] = {{IDC_HEADLINE, 11, 4, 194, 14},
                                   {IDC_MARK_CONDUIT, 37, 21, 12, 8},
                                   {IDC_MARK_CONDUIT_REGISTRATION, 37, 32, 12, 8},
                                   {IDC_MARK_MANAGER_FILES, 37, 43, 12, 8},
                                   {IDC_MARK_PROGRAM_FOLDERS, 37, 54, 12, 8},
                                   {IDC_MARK_REGISTRY_ENTRIES, 37, 65, 12, 8},
                                   {IDC_MARK_PROGRAM_GROUP, 37, 76, 12, 8},
                                   {IDC_WARNING_FRAME, 4, 90, 207, 32},
                                   {IDC_WARNING_LINE1, 11, 98, 122, 8},
                                   {IDC_WARNING_LINE2, 11, 108, 94, 8},
                                   {IDC_WARNING_MARK, 175, 98, 8, 16},
                                   {IDCANCEL, 161, 128, 50, 14}};
        for (const Placed& control : controls) {
            CAPTURE(control.id);
            CHECK(same(placed(open.Control(control.id)),
                       inPixels(control.x, control.y, control.width, control.height)));
        }
        // The six labels, each on the row of its step's mark.
        const int labelWidths[] = {47, 94, 65, 84, 68, 69};
        int row = 0;
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (GetDlgCtrlID(child) == -1 || GetDlgCtrlID(child) == 0xFFFF) {
                REQUIRE(row < 6);
                CHECK(same(placed(child), inPixels(74, 21 + 11 * row, labelWidths[row], 8)));
                ++row;
            }
        }
        CHECK(row == 6);
        open.PumpMessages();
    }

    TEST_CASE("No at the confirmation removes nothing, asks nothing more and schedules nothing") {
        FakeInstallation installation;
        ScriptedUi ui;
        ui.answers = {IDNO};
        OpenUnInstall open(ui);

        CHECK_FALSE(open.IsOpen());
        CHECK(open.dialog().Refused());
        CHECK(ui.messages.size() == 1);
        CHECK(ui.scheduled.empty());
        CHECK(ui.restartRequests == 0);
        CHECK(installation.CondMgrCalls().empty());
        CHECK(FileExists(installation.InHotSync(layout::kConduitFileName)));
        CHECK(FileExists(installation.InInstall(layout::kManagerFileName)));
        CHECK(FileExists(installation.InInstall(layout::kHandheldAppFileName)));
        CHECK(FolderExists(installation.installFolder + settings::kInboxFolderName));
        CHECK(FolderExists(installation.installFolder + settings::kOutboxFolderName));
        CHECK(KeyExists(HKEY_CURRENT_USER, settings::kKeyPath));
        CHECK(KeyExists(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath));
        CHECK(FileExists(installation.InGroup(layout::kUnInstallShortcutName)));
    }

    TEST_CASE("a complete removal marks all six steps and leaves only what belongs to others") {
        FakeInstallation installation;
        ScriptedUi ui;
        OpenUnInstall open(ui);
        REQUIRE(open.IsOpen());

        CHECK(open.Marks() == kAllSteps);
        CHECK_FALSE(open.IsShown(IDC_WARNING_FRAME));
        CHECK_FALSE(open.IsShown(IDC_WARNING_MARK));
        CHECK(open.dialog().AllRemoved());
        CHECK(open.IsEnabled(IDCANCEL));
        CHECK(installation.EverythingRemoved());
        CHECK(ui.messages.size() == 1);

        // The Conduit Manager was asked once, for the creator, and released right after.
        CHECK(installation.CondMgrCalls() == std::vector<std::string>{"vqKT"});
        CHECK(GetModuleHandleA(installation.InHotSync(layout::kCondMgrFileName).c_str()) == nullptr);

        // Left in place: the install folder with the uninstaller, its parent, "Orvelle" above the group,
        // the registry key above the Settings store.
        CHECK(FileExists(installation.InInstall(layout::kUnInstallFileName)));
        CHECK(FolderExists(installation.InScratch("Program Files\\Orvelle")));
        CHECK(FolderExists(installation.programGroup.substr(0, installation.programGroup.rfind('\\'))));
        CHECK(KeyExists(HKEY_CURRENT_USER, settings::kParentKeyPath));
        CHECK(FileExists(installation.InHotSync(layout::kCondMgrFileName)));

        // The uninstaller's own file is scheduled for deletion by its short path.
        REQUIRE(ui.scheduled.size() == 1);
        CHECK(ui.scheduled[0] == ShortPath(installation.InInstall(layout::kUnInstallFileName)));
    }

    TEST_CASE("the restart question follows Ok, Esc and the close box, whatever the outcome") {
        FakeInstallation installation;
        ScriptedUi ui;
        OpenUnInstall open(ui);
        REQUIRE(open.IsOpen());

        SUBCASE("No ends the dialog without a restart") {
            ui.answers = {IDNO};
            open.PressOk();
            CHECK(ui.restartRequests == 0);
        }
        SUBCASE("Yes hides the dialog and asks Windows to restart") {
            ui.answers = {IDYES};
            open.PressOk();
            CHECK(ui.restartRequests == 1);
        }
        SUBCASE("Esc") {
            ui.answers = {IDNO};
            open.PressEscape();
            CHECK(ui.restartRequests == 0);
        }
        SUBCASE("the close box") {
            ui.answers = {IDNO};
            open.CloseBox();
            CHECK(ui.restartRequests == 0);
        }
        SUBCASE("Enter, which presses the only button") {
            ui.answers = {IDNO};
            open.PressEnter();
            CHECK(ui.restartRequests == 0);
        }
        CHECK_FALSE(open.IsOpen());
        REQUIRE(ui.messages.size() == 2);
        CHECK(ui.messages[1].text ==
              "UnInstallation complete! You need to restart Windows before\nthe new setting "
              "will take effect. Restart Windows now?");
        CHECK(ui.messages[1].style == kQuestion);
        CHECK(ui.scheduled.size() == 1);
    }

    TEST_CASE("a failing step keeps its mark hidden, leaves its later items and shows the warning") {
        ScriptedUi ui;

        SUBCASE("step 1: the conduit is already gone") {
            FakeInstallation installation;
            DeleteFileA(installation.InHotSync(layout::kConduitFileName).c_str());
            OpenUnInstall open(ui);
            CHECK(open.Marks() == AllStepsBut(1));
            CHECK(open.WarningShown());
            CHECK(ui.messages.size() == 1);
        }
        SUBCASE("step 2: condmgr.dll missing shows its message and the removal goes on") {
            FakeInstallation installation(CondMgr::Missing);
            OpenUnInstall open(ui);
            CHECK(open.Marks() == AllStepsBut(2));
            CHECK(open.WarningShown());
            REQUIRE(ui.messages.size() == 2);
            CHECK(ui.messages[1].text == "Error loading DLL");
            CHECK(ui.messages[1].style == kStop);
            CHECK_FALSE(FolderExists(installation.programGroup));
        }
        SUBCASE("step 2: a damaged condmgr.dll cannot be loaded") {
            FakeInstallation installation(CondMgr::Damaged);
            OpenUnInstall open(ui);
            CHECK(open.Marks() == AllStepsBut(2));
            CHECK(ui.Texts() == std::vector<std::string>{ui.messages[0].text, "Error loading DLL"});
        }
        SUBCASE("step 2: condmgr.dll without the removal call is released with its message") {
            FakeInstallation installation(CondMgr::WithoutCall);
            OpenUnInstall open(ui);
            CHECK(open.Marks() == AllStepsBut(2));
            CHECK(open.WarningShown());
            REQUIRE(ui.messages.size() == 2);
            CHECK(ui.messages[1].text == "Error loading functions from DLL");
            CHECK(ui.messages[1].style == kStop);
            CHECK(GetModuleHandleA(installation.InHotSync(layout::kCondMgrFileName).c_str()) == nullptr);
        }
        SUBCASE("step 3: a missing manager leaves Kestrin.prc") {
            FakeInstallation installation;
            DeleteFileA(installation.InInstall(layout::kManagerFileName).c_str());
            OpenUnInstall open(ui);
            CHECK(open.Marks() == AllStepsBut(3));
            CHECK(FileExists(installation.InInstall(layout::kHandheldAppFileName)));
            CHECK(open.WarningShown());
        }
        SUBCASE("step 3: a running manager cannot be deleted and Kestrin.prc stays") {
            FakeInstallation installation;
            win::File running(CreateFileA(installation.InInstall(layout::kManagerFileName).c_str(),
                                          GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            REQUIRE(running);
            OpenUnInstall open(ui);
            // The registry entries stay for a second run.
            CHECK(open.Marks() == std::vector<int>{1, 2, 4, 6});
            CHECK(FileExists(installation.InInstall(layout::kManagerFileName)));
            CHECK(FileExists(installation.InInstall(layout::kHandheldAppFileName)));
        }
        SUBCASE("step 4: a file in Inbox keeps Inbox, its file and the empty Outbox") {
            FakeInstallation installation;
            std::string kept = installation.installFolder + settings::kInboxFolderName + "\\received.txt";
            testsupport::WriteBytes(kept, "the user's file");
            OpenUnInstall open(ui);
            CHECK(open.Marks() == AllStepsBut(4));
            CHECK(testsupport::ReadBytes(kept) == std::optional<std::string>("the user's file"));
            CHECK(FolderExists(installation.installFolder + settings::kOutboxFolderName));
            CHECK(open.WarningShown());
        }
        SUBCASE("step 4: an empty Inbox goes, an Outbox with a file stays") {
            FakeInstallation installation;
            std::string kept = installation.installFolder + settings::kOutboxFolderName + "\\queued.txt";
            testsupport::WriteBytes(kept, "queued");
            OpenUnInstall open(ui);
            CHECK(open.Marks() == AllStepsBut(4));
            CHECK_FALSE(FolderExists(installation.installFolder + settings::kInboxFolderName));
            CHECK(FileExists(kept));
        }
        SUBCASE("step 4: the folders inside the install folder, whatever the settings name") {
            FakeInstallation installation;
            std::string elsewhere = installation.InScratch("Elsewhere");
            CreateDirectoryA(elsewhere.c_str(), nullptr);
            installation.StoreString(settings::kFolderForRFiles, elsewhere);
            installation.StoreString(settings::kFolderForSFiles, elsewhere);
            OpenUnInstall open(ui);
            CHECK(open.Marks() == kAllSteps);
            CHECK(FolderExists(elsewhere));
        }
        SUBCASE("step 5: a Settings store that cannot be deleted keeps the uninstall key") {
            FakeInstallation installation;
            win::RegKey child = settings::CreateKey(HKEY_CURRENT_USER, "Software\\Orvelle\\Kestrin\\Held");
            OpenUnInstall open(ui);
            CHECK(open.Marks() == AllStepsBut(5));
            CHECK(KeyExists(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath));
            CHECK(open.WarningShown());
            child.reset();
            RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvelle\\Kestrin\\Held");
        }
        SUBCASE("step 6: a shortcut the user deleted keeps the later shortcut and the group") {
            FakeInstallation installation;
            DeleteFileA(installation.InGroup(layout::kHandheldAppShortcutName).c_str());
            OpenUnInstall open(ui);
            CHECK(open.Marks() == AllStepsBut(6));
            CHECK_FALSE(FileExists(installation.InGroup(layout::kManagerShortcutName)));
            CHECK(FileExists(installation.InGroup(layout::kUnInstallShortcutName)));
            CHECK(FolderExists(installation.programGroup));
        }
        SUBCASE("step 6: something else in the group keeps the group folder") {
            FakeInstallation installation;
            testsupport::WriteBytes(installation.InGroup("Readme.lnk"), "shortcut");
            OpenUnInstall open(ui);
            CHECK(open.Marks() == AllStepsBut(6));
            CHECK(FileExists(installation.InGroup("Readme.lnk")));
            CHECK_FALSE(FileExists(installation.InGroup(layout::kUnInstallShortcutName)));
        }
    }

    TEST_CASE("a failing step does not stop the removal, and the entry is still scheduled") {
        FakeInstallation installation(CondMgr::Missing);
        DeleteFileA(installation.InHotSync(layout::kConduitFileName).c_str());
        DeleteFileA(installation.InGroup(layout::kManagerShortcutName).c_str());
        ScriptedUi ui;
        ui.answers = {IDYES, IDNO};
        OpenUnInstall open(ui);
        CHECK(open.Marks() == std::vector<int>{3, 4, 5});
        CHECK(open.WarningShown());
        CHECK_FALSE(open.dialog().AllRemoved());
        CHECK(ui.scheduled.size() == 1);
        open.PressOk();
        CHECK(ui.messages.back().text == kIncompleteRestartQuestion);
        CHECK(ui.restartRequests == 0);
    }

    TEST_CASE("an item in use keeps what a second run needs, and the second run removes the rest") {
        struct Case {
            const char* name;
            int failedStep;
            std::string (*item)(const FakeInstallation&);
        };
        const Case cases[] = {
            {"the conduit loaded by HotSync Manager", 1,
             [](const FakeInstallation& i) { return i.InHotSync(layout::kConduitFileName); }},
            {"the manager running", 3,
             [](const FakeInstallation& i) { return i.InInstall(layout::kManagerFileName); }},
            {"an empty Outbox held open", 4,
             [](const FakeInstallation& i) { return i.installFolder + settings::kOutboxFolderName; }},
        };
        for (const Case& c : cases) {
            CAPTURE(c.name);
            FakeInstallation installation;
            win::File inUse(CreateFileA(c.item(installation).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            REQUIRE(inUse);
            {
                ScriptedUi ui;
                ui.answers = {IDYES, IDNO};
                OpenUnInstall open(ui);
                std::vector<int> marks = AllStepsBut(5);
                marks.erase(std::find(marks.begin(), marks.end(), c.failedStep));
                CHECK(open.Marks() == marks);
                CHECK(KeyExists(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath));
                win::RegKey store = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath, KEY_READ);
                CHECK(settings::ReadString(store.get(), settings::kPathToManager) ==
                      std::optional<std::string>(installation.installFolder));
                CHECK(settings::ReadString(store.get(), settings::kPathToHotSync) ==
                      std::optional<std::string>(installation.hotSyncFolder));
                CHECK(ui.scheduled.empty());
                open.PressOk();
                CHECK(ui.messages.back().text == kUnfinishedRestartQuestion);
            }
            inUse.reset();
            ScriptedUi ui;
            ui.answers = {IDYES, IDNO};
            OpenUnInstall open(ui);
            CHECK(open.Marks() == kAllSteps);
            CHECK(installation.EverythingRemoved());
            CHECK(ui.scheduled.size() == 1);
            open.PressOk();
            CHECK(ui.messages.back().text == kRestartQuestion);
        }
    }

    TEST_CASE("names are matched without regard to case") {
        FakeInstallation installation;
        // Setup's spellings, which UnInstall writes differently.
        REQUIRE(FileExists(installation.InGroup("UnInstall Kestrin Manager.lnk")));
        REQUIRE(KeyExists(HKEY_LOCAL_MACHINE,
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrin Manager"));
        CHECK(std::string(layout::kUnInstallShortcutNameAsRemoved) == "UnInstall Kestrin manager.lnk");
        CHECK(std::string(layout::kUninstallKeyPathAsRemoved).find("\\UnInstall\\") != std::string::npos);
        ScriptedUi ui;
        OpenUnInstall open(ui);
        CHECK(open.Marks() == kAllSteps);
        CHECK_FALSE(FileExists(installation.InGroup("UnInstall Kestrin Manager.lnk")));
        CHECK_FALSE(KeyExists(HKEY_LOCAL_MACHINE, layout::kUninstallKeyPath));
    }

    TEST_CASE("a non-zero answer of the Conduit Manager still counts as removed") {
        FakeInstallation installation;
        installation.SetCondMgrResult(-1003);
        ScriptedUi ui;
        OpenUnInstall open(ui);
        CHECK(open.Marks() == kAllSteps);
        CHECK(installation.CondMgrCalls() == std::vector<std::string>{"vqKT"});
    }

    TEST_CASE(
        "with the emulated Palm Desktop's Conduit Manager the conduit's registration goes, others stay") {
        FakeInstallation installation(CondMgr::Emulated);
        const std::string library = installation.InHotSync(layout::kCondMgrFileName);
        Register(library, "memo", "Memo.dll");

        SUBCASE("registered") {
            Register(library, layout::kCreatorId, layout::kConduitFileName);
            REQUIRE(Contains(RegisteredCreators(library), layout::kCreatorId));
        }
        SUBCASE("not registered: the step succeeds all the same") {
            Unregister(library, layout::kCreatorId);
        }
        ScriptedUi ui;
        OpenUnInstall open(ui);
        CHECK(open.Marks() == kAllSteps);
        CHECK(ui.messages.size() == 1);
        std::vector<std::string> creators = RegisteredCreators(library);
        CHECK_FALSE(Contains(creators, layout::kCreatorId));
        CHECK(Contains(creators, "memo"));
        Unregister(library, "memo");
    }

} // TEST_SUITE
