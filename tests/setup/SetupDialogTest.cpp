#include "SetupTestSupport.h"

#include "settings/InstalledLayout.h"
#include "settings/Settings.h"
#include "setup/resource.h"

#include <doctest/doctest.h>

namespace {

LOGFONTA FontOf(const OpenSetup& setup, int id) {
    LOGFONTA font = {};
    HFONT handle = reinterpret_cast<HFONT>(SendMessageA(setup.Control(id), WM_GETFONT, 0, 0));
    GetObjectA(handle, sizeof(font), &font);
    return font;
}

std::string Text(const OpenSetup& setup, int id) {
    char text[256] = {};
    GetWindowTextA(setup.Control(id), text, sizeof(text));
    return text;
}

// What a user changed before a reinstallation; a fresh installation has Setup's defaults.
struct UserChoices {
    std::string sendFolder;
    DWORD archiver = 0;
    DWORD nameWidth = 202;
};

void CheckSettingsStore(const std::string& folder, const std::string& hotSync, const UserChoices& user = {}) {
    CHECK(ValueCount(HKEY_CURRENT_USER, kSettingsKey) == 11);
    CHECK(StoredText(HKEY_CURRENT_USER, kSettingsKey, "PathToManager") == folder);
    CHECK(StoredText(HKEY_CURRENT_USER, kSettingsKey, "PathToHotSync") == hotSync);
    CHECK(StoredText(HKEY_CURRENT_USER, kSettingsKey, "FolderForSFiles") ==
          (user.sendFolder.empty() ? folder + "\\Outbox" : user.sendFolder));
    CHECK(StoredText(HKEY_CURRENT_USER, kSettingsKey, "FolderForRFiles") == folder + "\\Inbox");
    CHECK(StoredNumber(HKEY_CURRENT_USER, kSettingsKey, "FromPalmToPC") == 2u);
    CHECK(StoredNumber(HKEY_CURRENT_USER, kSettingsKey, "FromPCToPalm") == 2u);
    CHECK(StoredNumber(HKEY_CURRENT_USER, kSettingsKey, "NameWidth") == user.nameWidth);
    CHECK(StoredNumber(HKEY_CURRENT_USER, kSettingsKey, "SizeWidth") == 86u);
    CHECK(StoredNumber(HKEY_CURRENT_USER, kSettingsKey, "DateWidth") == 86u);
    CHECK(StoredNumber(HKEY_CURRENT_USER, kSettingsKey, "TimeWidth") == 86u);
    CHECK(StoredNumber(HKEY_CURRENT_USER, kSettingsKey, "Archiver") == user.archiver);
}

} // namespace

TEST_CASE("opening shows the default folder, the texts in their fonts and no progress bar") {
    SetupWorld world;
    ScriptedUi ui;
    OpenSetup setup(ui);
    REQUIRE(setup.IsOpen());

    char title[64] = {};
    GetWindowTextA(setup.window(), title, sizeof(title));
    CHECK(std::string(title) == "Kestrin installation");
    CHECK(setup.FolderText() == "C:\\Program Files\\Orvelle\\Kestrin Manager");
    CHECK_FALSE(setup.IsVisible(IDC_PROGRESS));
    CHECK(Text(setup, IDC_WELCOME) == "Welcome !");
    CHECK(Text(setup, IDC_WILL_INSTALL) == "This installation program will install Kestrin v2.1");
    CHECK(Text(setup, IDC_INSTALL) == "Install");
    CHECK(Text(setup, IDCANCEL) == "Cancel");
    CHECK(SendMessageA(setup.window(), WM_GETICON, ICON_BIG, 0) != 0);
    CHECK(SendMessageA(setup.window(), WM_GETICON, ICON_SMALL, 0) != 0);

    LOGFONTA welcome = FontOf(setup, IDC_WELCOME);
    CHECK(std::string(welcome.lfFaceName) == "Comic Sans MS");
    CHECK(welcome.lfWeight == 700);
    CHECK(welcome.lfItalic);
    for (int id : {IDC_WILL_INSTALL, IDC_ON_COMPUTER, IDC_BROWSE_LABEL}) {
        LOGFONTA bold = FontOf(setup, id);
        CHECK(std::string(bold.lfFaceName) == "MS Sans Serif");
        CHECK(bold.lfWeight == 700);
    }
    for (int id : {IDC_USE_FIELD, IDC_FOLDER_PURPOSE, IDC_TO_SPECIFY, IDC_BROWSE_PURPOSE}) {
        LOGFONTA plain = FontOf(setup, id);
        CHECK(std::string(plain.lfFaceName) == "MS Sans Serif");
        CHECK(plain.lfWeight < 700);
        CHECK(plain.lfHeight == FontOf(setup, IDC_WILL_INSTALL).lfHeight);
    }
    CHECK(ui.messages.empty());
}

TEST_CASE("the template: every control with an id at its place, with its style") {
    SetupWorld world;
    ScriptedUi ui;
    OpenSetup setup(ui);
    REQUIRE(setup.IsOpen());
    struct Expected {
        int id;
        RECT units; // x, y, width, height in dialog units
    };
    const Expected controls[] = {
        {IDC_FOLDER, {135, 118, 162, 12}},        {IDC_BROWSE, {307, 118, 43, 12}},
        {IDC_WELCOME, {124, 0, 103, 24}},         {IDC_WILL_INSTALL, {127, 31, 226, 10}},
        {IDC_ON_COMPUTER, {127, 41, 226, 10}},    {IDC_USE_FIELD, {127, 56, 217, 10}},
        {IDC_FOLDER_PURPOSE, {127, 67, 217, 10}}, {IDC_TO_SPECIFY, {127, 78, 227, 10}},
        {IDC_BROWSE_LABEL, {127, 89, 35, 10}},    {IDC_BROWSE_PURPOSE, {165, 89, 180, 10}},
        {IDC_INSTALL, {260, 173, 43, 14}},        {IDCANCEL, {315, 173, 43, 14}},
        {IDC_PROGRESS, {127, 148, 232, 14}},
    };
    for (const Expected& control : controls) {
        CAPTURE(control.id);
        RECT expected = control.units; // each of the four mapped on its own, as the template is laid out
        MapDialogRect(setup.window(), &expected);
        RECT actual = {};
        GetWindowRect(setup.Control(control.id), &actual);
        MapWindowPoints(nullptr, setup.window(), reinterpret_cast<POINT*>(&actual), 2);
        CHECK(actual.left == expected.left);
        CHECK(actual.top == expected.top);
        CHECK(actual.right - actual.left == expected.right);
        CHECK(actual.bottom - actual.top == expected.bottom);
    }
    RECT client = {};
    GetClientRect(setup.window(), &client);
    RECT size = {0, 0, 363, 191};
    MapDialogRect(setup.window(), &size);
    CHECK(client.right == size.right);
    CHECK(client.bottom == size.bottom);

    auto style = [&](int id) { return static_cast<DWORD>(GetWindowLongA(setup.Control(id), GWL_STYLE)); };
    // The platform may turn a control's border into an edge of its own.
    auto bordered = [&](int id) {
        return (style(id) & WS_BORDER) != 0 ||
               (GetWindowLongA(setup.Control(id), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0;
    };
    CHECK((style(IDC_FOLDER) & (ES_AUTOHSCROLL | WS_TABSTOP)) == (ES_AUTOHSCROLL | WS_TABSTOP));
    CHECK(bordered(IDC_FOLDER));
    CHECK((style(IDC_INSTALL) & 0x0F) == BS_DEFPUSHBUTTON);
    CHECK((style(IDC_BROWSE) & WS_TABSTOP) != 0);
    const DWORD window = static_cast<DWORD>(GetWindowLongA(setup.window(), GWL_STYLE));
    CHECK((window & (WS_CAPTION | WS_SYSMENU | DS_MODALFRAME)) == (WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    CHECK((GetWindowLongA(setup.window(), GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0);
}

TEST_CASE("a complete installation writes the whole layout and closes without the abort question") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    const std::string folder = world.Path("Programs\\Orvelle\\Kestrin Manager");
    ScriptedUi ui;
    OpenSetup setup(ui);
    setup.TypeFolder(folder);

    bool restart = false;
    SUBCASE("restart declined") {
        ui.answers = {IDNO};
    }
    SUBCASE("restart accepted") {
        ui.answers = {IDYES};
        restart = true;
    }
    setup.Install();

    CHECK(ui.Texts() == std::vector<std::string>{kComplete});
    CHECK(ui.messages[0].style == (MB_ICONQUESTION | MB_YESNO));
    CHECK(ui.restartRequests == (restart ? 1 : 0));
    if (restart) {
        CHECK_FALSE(ui.visibleAtRestart);
    }
    CHECK_FALSE(setup.IsOpen());
    CHECK(setup.dialog().ProgressPos() == 101);
    CHECK(ui.messages[0].barPosition == 100);
    CHECK(setup.dialog().Outcome() == SetupOutcome::Installed);

    CheckSettingsStore(folder, world.hotSyncFolder());
    CHECK(ValueCount(HKEY_LOCAL_MACHINE, kUninstallKey) == 9);
    CHECK(StoredText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName") ==
          std::string("Kestrin Manager v2.1"));
    CHECK(StoredText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString") ==
          "\"" + folder + "\\UnInstall.exe\"");
    CHECK(StoredText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion") == std::string("2.1"));
    CHECK(StoredText(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher") == std::string("Orvelle"));
    CHECK(StoredText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon") == folder + "\\KestrinManager.exe");
    CHECK(StoredText(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation") == folder);
    CHECK(StoredText(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString") ==
          "\"" + folder + "\\UnInstall.exe\" /S");
    CHECK(StoredNumber(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify") == 1u);
    CHECK(StoredNumber(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair") == 1u);

    CHECK(ReadWholeFile(world.hotSyncFolder() + "\\KestrinConduit.dll") == "conduit");
    CHECK(testsupport::Entries(folder) ==
          std::set<std::string>{"Inbox", "Outbox", "KestrinManager.exe", "UnInstall.exe", "Kestrin.prc"});
    CHECK(ReadWholeFile(folder + "\\Kestrin.prc") == "handheld");
    CHECK(world.CondMgrCalls() ==
          "CmInstallCreator vqKT 0\nCmSetCreatorName vqKT KestrinConduit.dll\nCmSetCreatorPriority vqKT 2\n");

    const std::string group = ProgramGroup();
    CHECK(testsupport::Entries(group) == std::set<std::string>{"Kestrin Manager.lnk",
                                                               "UnInstall Kestrin Manager.lnk",
                                                               "Kestrin for Palm.lnk"});
    auto manager = ReadShortcut(group + "\\Kestrin Manager.lnk");
    REQUIRE(manager);
    CHECK(manager->target == folder + "\\KestrinManager.exe");
    CHECK(manager->workingFolder == folder);
    CHECK(manager->arguments.empty());
    auto uninstaller = ReadShortcut(group + "\\UnInstall Kestrin Manager.lnk");
    REQUIRE(uninstaller);
    CHECK(uninstaller->target == folder + "\\UnInstall.exe");
    CHECK(uninstaller->workingFolder == folder);
    auto handheld = ReadShortcut(group + "\\Kestrin for Palm.lnk");
    REQUIRE(handheld);
    CHECK(handheld->target == folder + "\\Kestrin.prc");
    CHECK(handheld->workingFolder.empty());
}

TEST_CASE("trailing backslashes are dropped from what is recorded, and the field keeps them") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    const std::string folder = world.Path("Tools\\Kestrin");
    ScriptedUi ui;
    OpenSetup setup(ui);
    setup.TypeFolder(folder + "\\\\");
    setup.Click(IDC_INSTALL);

    CHECK(ui.Texts() == std::vector<std::string>{kComplete});
    CHECK(setup.dialog().InstallFolder() == folder);
    CheckSettingsStore(folder, world.hotSyncFolder());
    CHECK(StoredText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString") ==
          "\"" + folder + "\\UnInstall.exe\"");
    CHECK(FileExists(folder + "\\KestrinManager.exe"));
    CHECK(FolderExists(folder + "\\Outbox"));
}

TEST_CASE("the field keeps what was typed while the dialog stays open after a failure") {
    SetupWorld world; // no package: the open fails, and No keeps the dialog
    ScriptedUi ui;
    OpenSetup setup(ui);
    setup.TypeFolder(world.Path("Typed") + "\\\\");
    ui.answers = {IDNO};
    setup.Install();
    REQUIRE(setup.IsOpen());
    CHECK(setup.FolderText() == world.Path("Typed") + "\\\\");
}

TEST_CASE("the fallback folder: an empty field, a bare name and a folder too deep for its files") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    ScriptedUi ui;
    OpenSetup setup(ui);
    std::string typed;
    SUBCASE("empty") {
        typed = "";
    }
    SUBCASE("bare name that does not exist in the current folder") {
        typed = "Kestrin";
    }
    SUBCASE("too deep for KestrinManager.exe") {
        typed = world.Path(std::string(250 - world.root().size(), 'd'));
    }
    setup.TypeFolder(typed);
    setup.Install();

    REQUIRE(ui.messages.size() == 2);
    CHECK(ui.messages[0].text == kFallback);
    CHECK(ui.messages[0].style == (MB_ICONEXCLAMATION | MB_OK));
    CHECK(ui.messages[1].text == kComplete);
    CHECK(ui.messages[1].folderField == DefaultInstallFolder());
    CheckSettingsStore(DefaultInstallFolder(), world.hotSyncFolder());
    CHECK(FileExists(DefaultInstallFolder() + "\\UnInstall.exe"));
    CHECK(testsupport::Entries(world.root()) == std::set<std::string>{"Palm", "dist"});
    CHECK(testsupport::Entries(world.packageFolder()) == std::set<std::string>{"data.z", "unrar.dll"});
    CHECK(setup.dialog().Outcome() == SetupOutcome::DefaultFolderUsed);
}

TEST_CASE("a bare name of an existing folder installs there and is recorded as a full path") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    CreateDirectoryA((world.packageFolder() + "\\Kestrin").c_str(), nullptr);
    const std::string full = world.packageFolder() + "\\Kestrin";
    ScriptedUi ui;
    OpenSetup setup(ui);
    setup.TypeFolder("Kestrin\\");
    setup.Install();

    CHECK(ui.Texts() == std::vector<std::string>{kComplete});
    CheckSettingsStore(full, world.hotSyncFolder());
    CHECK(StoredText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString") ==
          "\"" + full + "\\UnInstall.exe\"");
    CHECK(FileExists(full + "\\KestrinManager.exe"));
    auto manager = ReadShortcut(ProgramGroup() + "\\Kestrin Manager.lnk");
    REQUIRE(manager);
    CHECK(manager->target == full + "\\KestrinManager.exe");
    CHECK(manager->workingFolder == full);
}

TEST_CASE("three missing levels below an existing folder are all created") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    const std::string folder = world.Path("one\\two\\three");
    ScriptedUi ui;
    OpenSetup setup(ui);
    setup.TypeFolder(folder);
    setup.Install();
    CHECK(ui.Texts() == std::vector<std::string>{kComplete});
    CHECK(FolderExists(world.Path("one\\two")));
    CHECK(FileExists(folder + "\\Kestrin.prc"));
}

TEST_CASE("installing again keeps the user's valid settings and leaves existing folders as they are") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    const std::string folder = world.Path("Kestrin");
    auto install = [&](const std::string& into) {
        ScriptedUi ui;
        OpenSetup setup(ui);
        setup.TypeFolder(into);
        setup.Install();
        CHECK(ui.Texts() == std::vector<std::string>{kComplete});
    };
    install(folder);
    {
        win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, kSettingsKey);
        settings::WriteDword(key.get(), "Archiver", 2);
        settings::WriteDword(key.get(), "NameWidth", 99);
        settings::WriteDword(key.get(), "FromPalmToPC", 7);
        settings::WriteString(key.get(), "FolderForSFiles", "C:\\Elsewhere");
        settings::WriteString(key.get(), "PathToManager", "C:\\Somewhere else");
        RegDeleteValueA(key.get(), "SizeWidth");
    }
    testsupport::WriteBytes(folder + "\\Inbox\\received.txt", "kept");
    install(folder);
    CheckSettingsStore(folder, world.hotSyncFolder(), {"C:\\Elsewhere", 2, 99});
    CHECK(ReadWholeFile(folder + "\\Inbox\\received.txt") == "kept");

    // The previous install folder's own Inbox moves with the install folder.
    const std::string moved = world.Path("Moved");
    install(moved);
    CheckSettingsStore(moved, world.hotSyncFolder(), {"C:\\Elsewhere", 2, 99});
}

TEST_CASE("Cancel before Install asks; No keeps the dialog and Yes closes it with nothing written") {
    SetupWorld world;
    world.WriteFourEntryPackage();
    ScriptedUi ui;
    OpenSetup setup(ui);
    ui.answers = {IDNO, IDYES};

    setup.Click(IDCANCEL);
    CHECK(setup.IsOpen());
    setup.CloseBox();
    CHECK_FALSE(setup.IsOpen());
    CHECK(ui.Texts() == std::vector<std::string>{"Do you want to abort this installation?",
                                                 "Do you want to abort this installation?"});
    CHECK(ui.messages[0].style == (MB_ICONQUESTION | MB_YESNO));
    CHECK(ValueCount(HKEY_CURRENT_USER, kSettingsKey) == -1);
    CHECK(ValueCount(HKEY_LOCAL_MACHINE, kUninstallKey) == -1);
    CHECK_FALSE(FolderExists(DefaultInstallFolder()));
    CHECK(world.CondMgrCalls().empty());
}

TEST_CASE("Browse puts the chosen folder into the field; a cancelled or empty choice keeps the field") {
    SetupWorld world;
    ScriptedUi ui;
    OpenSetup setup(ui);
    setup.TypeFolder("D:\\typed");

    setup.Click(IDC_BROWSE);
    CHECK(setup.FolderText() == "D:\\typed");
    ui.folderToChoose = std::string();
    setup.Click(IDC_BROWSE);
    CHECK(setup.FolderText() == "D:\\typed");
    ui.folderToChoose = std::string("E:\\Chosen Folder");
    setup.Click(IDC_BROWSE);
    CHECK(setup.FolderText() == "E:\\Chosen Folder");
    CHECK(ui.folderTitles == std::vector<std::string>(3, "Select a folder from the list below."));
    CHECK(ui.messages.empty());
}
