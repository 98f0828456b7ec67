#include "ManagerTestSupport.h"
#include "manager/OutgoingFiles.h"
#include "manager/resource.h"
#include "settings/Settings.h"
#include "win/FileSystem.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <map>

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

void SetLocalWriteTime(const std::string& path, SYSTEMTIME local) {
    SYSTEMTIME universal = {};
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal);
    FILETIME time = {};
    SystemTimeToFileTime(&universal, &time);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

std::string DuplicateMessage(const std::string& name) {
    return "File " + name + " already exists in the list! Rename the file and try once again.";
}

std::string EmptyFileMessage(const std::string& name) {
    return "File " + name + " has zero length, so it not there was is added in list!";
}

std::string Question(const std::string& name) {
    return "Are you sure do you want to delete file " + name + "?";
}

bool Mentions(const ScriptedUi::Message& message, const std::string& text) {
    return message.text.find(text) != std::string::npos;
}

} // namespace

TEST_CASE_FIXTURE(ManagerFixture, "the list shows the outgoing files only, with their icons and cells") {
    std::string photo = root.WriteFile("Outbox\\photo.JPG", std::string(1536, 'p'));
    SetLocalWriteTime(photo, {2023, 3, 0, 7, 15, 4, 0, 0});
    root.WriteFile("Outbox\\one.c", "1");
    root.WriteFile("Outbox\\readme", std::string(100, 'r'));
    std::string hidden = root.WriteFile("Outbox\\hidden.bin", "hidden");
    SetFileAttributesA(hidden.c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    root.WriteFile("Outbox\\SerialSync.TXT", "reserved");
    root.WriteFile("Outbox\\empty.txt", "");
    root.MakeFolder("Outbox\\Folder.doc");
    StoreSettings(stored);
    OpenManager manager(ui);

    REQUIRE(Sorted(manager.Names()) ==
            std::vector<std::string>{"hidden.bin", "one.c", "photo.JPG", "readme"});
    std::map<std::string, std::vector<std::string>> cells;
    std::map<std::string, int> images;
    for (int row = 0; row < manager.RowCount(); ++row) {
        std::string name = manager.Cell(row, 0);
        cells[name] = {manager.Cell(row, 1), manager.Cell(row, 2), manager.Cell(row, 3)};
        images[name] = manager.RowImage(row);
    }
    CHECK(cells["photo.JPG"] == std::vector<std::string>{"1.50Kb", "03.07.2023", "03:04 PM"});
    CHECK(cells["one.c"][0] == "0.00Kb");
    CHECK(cells["readme"][0] == "0.10Kb");
    CHECK(images["photo.JPG"] == 81);
    CHECK(images["one.c"] == 21);
    CHECK(images["readme"] == 3);
    CHECK(images["hidden.bin"] == 3);
    CHECK(manager.IsRowSelected(0));
    CHECK(manager.IsEnabled(IDC_REMOVE));
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_CASE_FIXTURE(ManagerFixture,
                  "Add copies the file into the outgoing folder, lists it and selects the first row") {
    ScratchFolder source;
    std::string report = source.WriteFile("report.doc", "report contents");
    StoreSettings(stored);
    OpenManager manager(ui);
    REQUIRE(manager.RowCount() == 0);
    REQUIRE_FALSE(manager.IsEnabled(IDC_REMOVE));

    ui.filesToChoose = std::vector<std::string>{report};
    manager.Click(IDC_ADD);

    CHECK(ui.messages.empty());
    CHECK(manager.Names() == std::vector<std::string>{"report.doc"});
    CHECK(manager.RowImage(0) == 53);
    CHECK(manager.Cell(0, 1) == "0.01Kb");
    CHECK(manager.IsRowSelected(0));
    CHECK(manager.IsEnabled(IDC_REMOVE));
    CHECK(ReadWholeFile(outbox + "\\report.doc") == "report contents");

    SUBCASE("a cancelled chooser changes nothing") {
        ui.filesToChoose.reset();
        manager.Click(IDC_ADD);
        CHECK(manager.RowCount() == 1);
        CHECK(ui.messages.empty());
    }
}

TEST_CASE_FIXTURE(
    ManagerFixture,
    "Add refuses listed names in any case, empty files and the reserved name, and adds the rest") {
    root.WriteFile("Outbox\\REPORT.DOC", "listed");
    root.WriteFile("Outbox\\serialsync.txt", "reserved");
    root.MakeFolder("Outbox\\clash.txt");
    ScratchFolder source;
    std::vector<std::string> chosen = {
        source.WriteFile("report.doc", "new"),    source.WriteFile("first.txt", "1"),
        source.WriteFile("empty.dat", ""),        source.WriteFile("SerialSync.txt", "mine"),
        source.WriteFile("$$TEMP$$.rar", "mine"), source / "?mega.txt",
        source.WriteFile("third.txt", "3"),       source.WriteFile("clash.txt", "a folder is in the way")};
    StoreSettings(stored);
    OpenManager manager(ui);
    ui.filesToChoose = chosen;
    manager.Click(IDC_ADD);

    REQUIRE(ui.messages.size() == 6);
    CHECK(ui.messages[0].text == DuplicateMessage("report.doc"));
    CHECK(ui.messages[0].style == (MB_ICONEXCLAMATION | MB_OK));
    CHECK(ui.messages[1].text == EmptyFileMessage("empty.dat"));
    CHECK(Mentions(ui.messages[2], "SerialSync.txt"));
    CHECK(
        Mentions(ui.messages[3],
                 "$$TEMP$$.rar cannot be transferred to Palm: it carries the name of the temporary archive"));
    CHECK(Mentions(ui.messages[4], "?mega.txt cannot be transferred"));
    CHECK(Mentions(ui.messages[4], "code page"));
    CHECK(Mentions(ui.messages[5], "clash.txt could not be copied"));
    CHECK(manager.Names() == std::vector<std::string>{"REPORT.DOC", "first.txt", "third.txt"});
    CHECK(ReadWholeFile(outbox + "\\REPORT.DOC") == "listed");
    CHECK(ReadWholeFile(outbox + "\\serialsync.txt") == "reserved");
    CHECK_FALSE(FileExists(outbox + "\\empty.dat"));
    CHECK(ReadWholeFile(outbox + "\\third.txt") == "3");
}

TEST_CASE_FIXTURE(ManagerFixture, "Add lists a file only when its copy into the outgoing folder succeeded") {
    ScratchFolder source;
    std::string clash = source.WriteFile("clash.txt", "clash");
    std::string fine = source.WriteFile("fine.txt", "fine");
    // The outgoing folder cannot be entered: the list starts empty and stays so.
    stored.outgoingFolder = root / "Gone";
    StoreSettings(stored);
    OpenManager manager(ui);
    CHECK(manager.RowCount() == 0);
    CHECK_FALSE(manager.IsEnabled(IDC_REMOVE));
    ui.filesToChoose = std::vector<std::string>{clash, fine};
    manager.Click(IDC_ADD);
    CHECK(manager.RowCount() == 0);
    CHECK_FALSE(manager.IsEnabled(IDC_REMOVE));
    // One message for the folder, which names it and the ways out, not one per file.
    REQUIRE(ui.messages.size() == 1);
    for (const std::string& text :
         {stored.outgoingFolder, std::string("clash.txt and the files chosen after"),
          std::string("run Setup again"), std::string("on the Settings page")}) {
        CHECK(Mentions(ui.messages[0], text));
    }
}

TEST_CASE_FIXTURE(ManagerFixture, "Remove asks, then deletes the file and its row") {
    root.WriteFile("Outbox\\a.txt", "a");
    root.WriteFile("Outbox\\b.txt", "b");
    StoreSettings(stored);
    OpenManager manager(ui);
    REQUIRE(manager.RowCount() == 2);
    std::string second = manager.Cell(1, 0);
    std::string first = manager.Cell(0, 0);

    SUBCASE("No keeps row and file") {
        ui.answers = {IDNO};
        manager.SelectRow(1);
        manager.Click(IDC_REMOVE);
        REQUIRE(ui.messages.size() == 1);
        CHECK(ui.messages[0].text == Question(second));
        CHECK(ui.messages[0].style == (MB_ICONQUESTION | MB_YESNO));
        CHECK(manager.RowCount() == 2);
        CHECK(FileExists(outbox + "\\" + second));
    }
    SUBCASE("Yes removes the selected row; the last removal disables Remove") {
        manager.SelectRow(1);
        manager.Click(IDC_REMOVE);
        CHECK(manager.Names() == std::vector<std::string>{first});
        CHECK_FALSE(FileExists(outbox + "\\" + second));
        CHECK_FALSE(manager.IsRowSelected(0));
        CHECK(manager.IsEnabled(IDC_REMOVE));

        manager.SelectRow(0);
        manager.Click(IDC_REMOVE);
        CHECK(manager.RowCount() == 0);
        CHECK_FALSE(FileExists(outbox + "\\" + first));
        CHECK_FALSE(manager.IsEnabled(IDC_REMOVE));
        CHECK(ui.messages.size() == 2);
    }
    SUBCASE("without a selected row nothing is asked") {
        LVITEMA none = {};
        none.stateMask = LVIS_SELECTED;
        SendMessageA(manager.Control(IDC_FILE_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&none));
        manager.Click(IDC_REMOVE);
        CHECK(ui.messages.empty());
        CHECK(manager.RowCount() == 2);
    }
    SUBCASE("a file that cannot be deleted keeps its row, with a message") {
        HANDLE busy = CreateFileA((outbox + "\\" + first).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        manager.SelectRow(0);
        manager.Click(IDC_REMOVE);
        CloseHandle(busy);
        REQUIRE(ui.messages.size() == 2);
        CHECK(Mentions(ui.messages[1], first + " could not be deleted"));
        CHECK(manager.RowCount() == 2);
        CHECK(FileExists(outbox + "\\" + first));
    }
}

TEST_CASE_FIXTURE(ManagerFixture, "names longer than 99 characters are compared, removed and moved whole") {
    std::string stem(110, 'n');
    root.WriteFile("Outbox\\" + stem + "1.txt", "one");
    root.WriteFile("Outbox\\" + stem + "2.txt", "two");
    ScratchFolder source;
    std::string upperOne = stem + "1.TXT";
    std::string newOutbox = root.MakeFolder("NewOutbox");
    StoreSettings(stored);
    OpenManager manager(ui);
    REQUIRE(Sorted(manager.Names()) == std::vector<std::string>{stem + "1.txt", stem + "2.txt"});

    ui.filesToChoose = std::vector<std::string>{source.WriteFile(upperOne, "dup"),
                                                source.WriteFile(stem + "3.txt", "three")};
    manager.Click(IDC_ADD);
    REQUIRE(ui.messages.size() == 1);
    CHECK(ui.messages[0].text == DuplicateMessage(upperOne));
    CHECK(manager.RowCount() == 3);

    auto names = manager.Names();
    int rowOfTwo = static_cast<int>(std::find(names.begin(), names.end(), stem + "2.txt") - names.begin());
    manager.SelectRow(rowOfTwo);
    manager.Click(IDC_REMOVE);
    CHECK(ui.messages.back().text == Question(stem + "2.txt"));
    CHECK_FALSE(FileExists(outbox + "\\" + stem + "2.txt"));
    CHECK(FileExists(outbox + "\\" + stem + "1.txt"));

    manager.SelectPage(1);
    manager.Type(IDC_OUTGOING_FOLDER, newOutbox);
    manager.PressDone();
    CHECK(ReadWholeFile(newOutbox + "\\" + stem + "1.txt") == "one");
    CHECK(ReadWholeFile(newOutbox + "\\" + stem + "3.txt") == "three");
    CHECK_FALSE(FileExists(outbox + "\\" + stem + "1.txt"));
}

TEST_CASE_FIXTURE(ManagerFixture, "the same outgoing folder spelt differently keeps every file") {
    root.WriteFile("Outbox\\keep.txt", "keep me");
    StoreSettings(stored);
    OpenManager manager(ui);
    std::string otherSpelling;
    SUBCASE("trailing backslash") {
        otherSpelling = outbox + "\\";
    }
    SUBCASE("other letter case") {
        otherSpelling = root.path() + "\\OUTBOX";
    }
    manager.Type(IDC_OUTGOING_FOLDER, otherSpelling);
    manager.PressDone();

    CHECK(ui.messages.empty());
    CHECK(StoredText(settings::kFolderForSFiles) == otherSpelling);
    CHECK(ReadWholeFile(outbox + "\\keep.txt") == "keep me");
}

TEST_CASE_FIXTURE(ManagerFixture,
                  "a long list of files left behind is named in one message, the rest counted") {
    std::string newOutbox = root.MakeFolder("NewOutbox");
    for (int i = 0; i < 23; ++i) {
        std::string name = "file" + std::to_string(100 + i) + ".txt";
        root.WriteFile("Outbox\\" + name, "listed");
        root.WriteFile("NewOutbox\\" + name, "there");
    }
    StoreSettings(stored);
    OpenManager manager(ui);
    manager.Type(IDC_OUTGOING_FOLDER, newOutbox);
    manager.PressDone();

    REQUIRE(ui.messages.size() == 1);
    CHECK(ui.messages[0].style == (MB_ICONEXCLAMATION | MB_OK));
    CHECK(Mentions(ui.messages[0], outbox + ":\nfile100.txt\n"));
    const std::string& text = ui.messages[0].text;
    CHECK(std::count(text.begin(), text.end(), '\n') == 21);
    CHECK(Mentions(ui.messages[0], "... and 3 more."));
    CHECK(testsupport::Entries(outbox).size() == 23);
}

TEST_CASE_FIXTURE(ManagerFixture, "the same outgoing folder in its short form or relative keeps every file") {
    std::string longOutbox = root.MakeFolder("Files for the handheld");
    root.WriteFile("Files for the handheld\\keep.txt", "keep me");
    stored.outgoingFolder = longOutbox;
    StoreSettings(stored);
    CurrentDirectoryScope inRoot(root.path());
    OpenManager manager(ui);
    REQUIRE(manager.RowCount() == 1);
    std::string otherSpelling;
    SUBCASE("short form") {
        char shortName[MAX_PATH] = {};
        GetShortPathNameA(longOutbox.c_str(), shortName, sizeof(shortName));
        otherSpelling = shortName;
    }
    SUBCASE("relative to the start folder") {
        otherSpelling = "Files for the handheld";
    }
    manager.Type(IDC_OUTGOING_FOLDER, otherSpelling);
    manager.PressDone();

    CHECK(ui.messages.empty());
    CHECK(ReadWholeFile(longOutbox + "\\keep.txt") == "keep me");
    CHECK(testsupport::Entries(longOutbox).size() == 1);
}
