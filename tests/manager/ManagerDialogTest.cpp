#include "ManagerTestSupport.h"
#include "manager/resource.h"
#include "settings/Settings.h"

#include <doctest/doctest.h>

#include <commctrl.h>

namespace {

const int kFilesControls[] = {1004, 1003, 1001, 1002};
const int kSettingsControls[] = {1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1014, 1013, 1015,
                                 1016, 1017, 1018, 1019, 1020, 1021, 1022, 1038, 1025, 1026};
const int kAboutControls[] = {1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1036, 1037};

// 1 when every control of the set shows, 0 when none does, 0x10 when only some do.
template <size_t N> int Shown(const OpenManager& manager, const int (&ids)[N]) {
    size_t visible = 0;
    for (int id : ids) {
        visible += manager.IsVisible(id) ? 1 : 0;
    }
    return visible == N ? 1 : visible == 0 ? 0 : 0x10;
}

// One bit per page whose controls all show (Files 1, Settings 2, About 4); a half-shown page adds 0x10s.
int VisiblePages(const OpenManager& manager) {
    return Shown(manager, kFilesControls) | Shown(manager, kSettingsControls) << 1 |
           Shown(manager, kAboutControls) << 2;
}

std::string TabText(const OpenManager& manager, int tab) {
    char text[64] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(manager.Control(IDC_TABS), TCM_GETITEMA, tab, reinterpret_cast<LPARAM>(&item));
    return text;
}

} // namespace

TEST_CASE_FIXTURE(ManagerFixture, "opening shows the Files page and the stored settings") {
    stored.fromPCToPalm = settings::DoNothing;
    stored.fromPalmToPC = settings::Overwrite;
    stored.archiver = settings::WinZip;
    stored.widths[0] = 150;
    stored.widths[1] = 70;
    stored.widths[2] = 80;
    stored.widths[3] = 90;
    StoreSettings(stored);
    OpenManager manager(ui);
    REQUIRE(manager.IsOpen());

    CHECK(manager.SelectedTab() == 0);
    CHECK(TabText(manager, 0) == "Files");
    CHECK(TabText(manager, 1) == "Settings");
    CHECK(TabText(manager, 2) == "About");
    CHECK(VisiblePages(manager) == 1);
    CHECK(manager.IsVisible(IDOK));
    CHECK(manager.Text(IDOK) == "Done");
    CHECK(SendMessageA(manager.window(), WM_GETICON, ICON_BIG, 0) != 0);

    const char* headings[] = {"Name", "Size", "Date", "Time"};
    const int widths[] = {150, 70, 80, 90};
    for (int column = 0; column < 4; ++column) {
        CHECK(manager.ColumnHeading(column) == headings[column]);
        CHECK(manager.ColumnWidth(column) == widths[column]);
    }
    CHECK(manager.Text(IDC_OUTGOING_FOLDER) == outbox);
    CHECK(manager.Text(IDC_INCOMING_FOLDER) == inbox);
    CHECK(manager.IsChecked(IDC_PC_TO_PALM_DO_NOTHING));
    CHECK_FALSE(manager.IsChecked(IDC_PC_TO_PALM_OVERWRITE));
    CHECK_FALSE(manager.IsChecked(IDC_PC_TO_PALM_ASK));
    CHECK(manager.IsChecked(IDC_PALM_TO_PC_OVERWRITE));
    CHECK(manager.IsChecked(IDC_COMPRESS));
    CHECK(manager.IsChecked(IDC_WINZIP));
    CHECK_FALSE(manager.IsChecked(IDC_WINRAR));
    CHECK(manager.IsEnabled(IDC_WINZIP));
    CHECK(manager.IsEnabled(IDC_WINRAR));
    CHECK(ui.messages.empty());
}

TEST_CASE_FIXTURE(ManagerFixture, "switching pages shows one page at a time and keeps values and states") {
    StoreSettings(stored);
    OpenManager manager(ui);

    CHECK_FALSE(manager.IsEnabled(IDC_REMOVE));
    manager.SelectPage(1);
    CHECK(VisiblePages(manager) == 2);
    CHECK_FALSE(manager.IsEnabled(IDC_WINZIP));
    CHECK_FALSE(manager.IsEnabled(IDC_WINRAR));
    manager.Click(IDC_PC_TO_PALM_OVERWRITE);
    manager.Type(IDC_INCOMING_FOLDER, "typed but not saved yet");

    manager.SelectPage(2);
    CHECK(VisiblePages(manager) == 4);
    CHECK(manager.Text(IDC_ABOUT_TITLE) == "Kestrin Manager");
    manager.SelectPage(0);
    CHECK(VisiblePages(manager) == 1);
    CHECK_FALSE(manager.IsEnabled(IDC_REMOVE));

    manager.SelectPage(1);
    CHECK(VisiblePages(manager) == 2);
    CHECK(manager.IsChecked(IDC_PC_TO_PALM_OVERWRITE));
    CHECK_FALSE(manager.IsChecked(IDC_PC_TO_PALM_ASK));
    CHECK(manager.Text(IDC_INCOMING_FOLDER) == "typed but not saved yet");
    CHECK_FALSE(manager.IsEnabled(IDC_WINZIP));
    CHECK(manager.IsOpen());
}

TEST_CASE_FIXTURE(ManagerFixture,
                  "Done, Escape and the close box all save the settings and move the listed files") {
    root.WriteFile("Outbox\\queued.txt", "queued");
    std::string newOutbox = root.MakeFolder("NewOutbox");
    StoreSettings(stored);
    OpenManager manager(ui);
    REQUIRE(manager.RowCount() == 1);

    manager.SelectPage(1);
    manager.Type(IDC_OUTGOING_FOLDER, newOutbox);
    manager.Click(IDC_PC_TO_PALM_OVERWRITE);
    manager.Click(IDC_PALM_TO_PC_DO_NOTHING);
    manager.Click(IDC_COMPRESS);
    manager.SetColumnWidth(0, 123);
    manager.SetColumnWidth(3, 61);

    SUBCASE("Done") {
        manager.PressDone();
    }
    SUBCASE("Escape") {
        manager.PressEscape();
    }
    SUBCASE("close box") {
        manager.CloseBox();
    }

    CHECK_FALSE(manager.IsOpen());
    CHECK(ui.messages.empty());
    CHECK(StoredNumber(settings::kFromPCToPalm) == DWORD{settings::Overwrite});
    CHECK(StoredNumber(settings::kFromPalmToPC) == DWORD{settings::DoNothing});
    CHECK(StoredText(settings::kFolderForSFiles) == newOutbox);
    CHECK(StoredText(settings::kFolderForRFiles) == inbox);
    CHECK(StoredNumber(settings::kArchiver) == DWORD{settings::WinZip});
    CHECK(StoredNumber(settings::kNameWidth) == 123u);
    CHECK(StoredNumber(settings::kSizeWidth) == 86u);
    CHECK(StoredNumber(settings::kTimeWidth) == 61u);
    CHECK(ReadWholeFile(newOutbox + "\\queued.txt") == "queued");
    CHECK_FALSE(FileExists(outbox + "\\queued.txt"));
}

TEST_CASE_FIXTURE(ManagerFixture,
                  "stored numbers outside their ranges show no choice or WinRar and save as Ask and WinRar") {
    stored.fromPCToPalm = 5;
    stored.fromPalmToPC = 0xFFFFFFFF;
    stored.archiver = 7;
    StoreSettings(stored);
    OpenManager manager(ui);

    for (int id = IDC_PC_TO_PALM_OVERWRITE; id <= IDC_PALM_TO_PC_ASK; ++id) {
        CHECK_FALSE(manager.IsChecked(id));
    }
    CHECK(manager.IsChecked(IDC_COMPRESS));
    CHECK(manager.IsChecked(IDC_WINRAR));
    CHECK_FALSE(manager.IsChecked(IDC_WINZIP));
    manager.PressDone();

    CHECK(StoredNumber(settings::kFromPCToPalm) == DWORD{settings::Ask});
    CHECK(StoredNumber(settings::kFromPalmToPC) == DWORD{settings::Ask});
    CHECK(StoredNumber(settings::kArchiver) == DWORD{settings::WinRar});
}

TEST_CASE_FIXTURE(ManagerFixture,
                  "without a Settings store the manager starts from Setup's defaults and creates nothing") {
    root.WriteFile("Outbox\\waiting.doc", "doc");
    DeleteSettings();
    CurrentDirectoryScope inRoot(root.path());
    OpenManager manager(ui);

    CHECK(manager.Text(IDC_OUTGOING_FOLDER) == outbox);
    CHECK(manager.Text(IDC_INCOMING_FOLDER) == inbox);
    CHECK(manager.Names() == std::vector<std::string>{"waiting.doc"});
    CHECK(manager.IsChecked(IDC_PC_TO_PALM_ASK));
    CHECK(manager.IsChecked(IDC_PALM_TO_PC_ASK));
    CHECK_FALSE(manager.IsChecked(IDC_COMPRESS));
    CHECK(manager.ColumnWidth(0) == 202);
    manager.PressDone();

    CHECK(ui.messages.empty());
    CHECK_FALSE(StoredNumber(settings::kArchiver).has_value());
    CHECK(FileExists(outbox + "\\waiting.doc"));
}

TEST_CASE_FIXTURE(ManagerFixture, "numbers stored with the wrong size or type count as missing") {
    stored.widths[0] = 150;
    stored.fromPCToPalm = settings::Overwrite;
    StoreSettings(stored);
    {
        win::RegKey key = settings::OpenKey(HKEY_CURRENT_USER, settings::kKeyPath);
        const BYTE twoBytes[] = {150, 0};
        const BYTE oneByte[] = {settings::WinZip};
        const BYTE binary[] = {settings::DoNothing, 0, 0, 0};
        RegSetValueExA(key.get(), settings::kNameWidth, 0, REG_DWORD, twoBytes, sizeof(twoBytes));
        RegSetValueExA(key.get(), settings::kArchiver, 0, REG_DWORD, oneByte, sizeof(oneByte));
        RegSetValueExA(key.get(), settings::kFromPCToPalm, 0, REG_BINARY, binary, sizeof(binary));
    }
    OpenManager manager(ui);

    CHECK(manager.ColumnWidth(0) == 202);
    CHECK_FALSE(manager.IsChecked(IDC_COMPRESS));
    CHECK(manager.IsChecked(IDC_PC_TO_PALM_ASK));
    CHECK_FALSE(manager.IsChecked(IDC_PC_TO_PALM_DO_NOTHING));
    manager.PressDone();
    CHECK(StoredNumber(settings::kNameWidth) == 202u);
    CHECK(StoredNumber(settings::kArchiver) == DWORD{settings::NoArchiver});
}
