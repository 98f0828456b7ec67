// The outgoing queue without its dialog: what it lists, adds, removes and moves.
#include "ManagerTestSupport.h"
#include "manager/OutgoingQueue.h"

#include <doctest/doctest.h>

#include <set>

using Outcome = OutgoingQueue::Outcome;
using settings::OutgoingVerdict;

namespace {

std::set<std::string> QueuedNames(const OutgoingQueue& queue) {
    std::set<std::string> names;
    for (const OutgoingQueue::File& file : queue.files()) {
        names.insert(file.name);
    }
    return names;
}

// An Outbox holding one queued file and entries the conduit passes over, and a folder to choose from.
struct QueueFixture {
    ScratchFolder root;
    std::string outbox = root.MakeFolder("Outbox");
    ScratchFolder source;

    QueueFixture() {
        root.WriteFile("Outbox\\REPORT.DOC", "queued");
        root.WriteFile("Outbox\\empty.txt", "");
        root.WriteFile("Outbox\\serialsync.txt", "reserved");
        root.WriteFile("Outbox\\$$temp$$.zip", "a user's file of the archive's name");
        root.MakeFolder("Outbox\\clash.txt");
        // Greek capital omega is in no Western code page: an 8-bit name would stand for another file.
        win::File omega(
            CreateFileW((std::wstring(outbox.begin(), outbox.end()) + L"\\\u03A9mega.txt").c_str(),
                        GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
};

} // namespace

TEST_CASE_FIXTURE(QueueFixture,
                  "the queue holds what the conduit sends, and adds a file unless it is refused") {
    struct Row {
        const char* chosen;
        const char* content; // nullptr: no such file
        Outcome outcome;
        OutgoingVerdict verdict;
        const char* inOutbox; // the Outbox's file of that name afterwards
    };
    const Row rows[] = {
        {"fresh.txt", "fresh", Outcome::Added, OutgoingVerdict::Send, "fresh"},
        // A file the conduit passes over is no queued file: one of the name takes its place.
        {"empty.txt", "now full", Outcome::Added, OutgoingVerdict::Send, "now full"},
        {"report.doc", "new", Outcome::AlreadyQueued, OutgoingVerdict::Send, "queued"},
        {"SerialSync.txt", "mine", Outcome::ReservedName, OutgoingVerdict::Send, "reserved"},
        {"void.dat", "", Outcome::HeldBack, OutgoingVerdict::Empty, "<missing>"},
        {"$$TEMP$$.rar", "mine", Outcome::HeldBack, OutgoingVerdict::TemporaryArchiveName, "<missing>"},
        // What the 8-bit chooser answers for a name the code page lacks.
        {"?mega.txt", nullptr, Outcome::HeldBack, OutgoingVerdict::NameNotAnsi, "<missing>"},
        {"clash.txt", "mine", Outcome::NotCopied, OutgoingVerdict::Send, "<missing>"},
    };
    if (GetACP() != CP_UTF8) {
        CHECK(QueuedNames(OutgoingQueue(outbox)) == std::set<std::string>{"REPORT.DOC"});
    }
    for (const Row& row : rows) {
        const std::string chosen = row.chosen;
        CAPTURE(chosen);
        OutgoingQueue queue(outbox);
        std::string path = row.content ? source.WriteFile(row.chosen, row.content) : source / row.chosen;
        OutgoingQueue::Addition addition = queue.Add(path);
        CHECK(addition.outcome == row.outcome);
        CHECK(addition.verdict == row.verdict);
        CHECK(addition.name == row.chosen);
        CHECK(queue.IsQueued(row.chosen) ==
              (row.outcome == Outcome::Added || row.outcome == Outcome::AlreadyQueued));
        CHECK(ReadWholeFile(outbox + "\\" + row.chosen) == row.inOutbox);
        if (row.outcome == Outcome::Added) {
            CHECK(queue.files().back().size == std::string(row.content).size());
        }
        CHECK(ReadWholeFile(path) == (row.content ? row.content : "<missing>"));
    }
    OutgoingQueue gone(root / "Gone");
    CHECK(gone.Add(source.WriteFile("fresh.txt", "fresh")).outcome == Outcome::FolderTakesNoFile);
    CHECK(gone.files().empty());
}

TEST_CASE_FIXTURE(QueueFixture, "removing deletes the queued file; one that cannot be deleted stays queued") {
    root.WriteFile("Outbox\\gone.txt", "x");
    root.WriteFile("Outbox\\busy.txt", "x");
    OutgoingQueue queue(outbox);
    DeleteFileA((outbox + "\\gone.txt").c_str());
    win::File busy(CreateFileA((outbox + "\\busy.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    CHECK(queue.Remove("REPORT.DOC"));
    CHECK(queue.Remove("gone.txt"));
    CHECK_FALSE(queue.Remove("busy.txt"));
    CHECK_FALSE(FileExists(outbox + "\\REPORT.DOC"));
    CHECK(FileExists(outbox + "\\busy.txt"));
    CHECK(QueuedNames(queue) == std::set<std::string>{"busy.txt"});
}

TEST_CASE_FIXTURE(QueueFixture, "a new outgoing folder takes the queued files, never over its own entries") {
    root.WriteFile("Outbox\\clash.txt.doc", "queued doc");
    root.WriteFile("Outbox\\Busy.doc", "queued busy");
    root.WriteFile("Outbox\\unreadable.txt", "held open");
    std::string newOutbox = root.MakeFolder("NewOutbox");
    root.WriteFile("NewOutbox\\CLASH.TXT.DOC", "already there");
    root.MakeFolder("NewOutbox\\busy.doc");
    OutgoingQueue queue(outbox);
    REQUIRE(queue.Add(source.WriteFile("added.txt", "added")).outcome == Outcome::Added);

    win::File held(CreateFileA((outbox + "\\unreadable.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               0, nullptr));
    REQUIRE(held);

    std::vector<std::string> stayed = queue.MoveInto(newOutbox);
    CHECK(std::set<std::string>(stayed.begin(), stayed.end()) ==
          std::set<std::string>{"Busy.doc", "clash.txt.doc", "unreadable.txt"});
    CHECK(testsupport::Entries(newOutbox) ==
          std::set<std::string>{"CLASH.TXT.DOC", "REPORT.DOC", "added.txt", "busy.doc"});
    CHECK(ReadWholeFile(newOutbox + "\\added.txt") == "added");
    CHECK(ReadWholeFile(newOutbox + "\\clash.txt.doc") == "already there");
    CHECK(ReadWholeFile(outbox + "\\clash.txt.doc") == "queued doc");
    CHECK(ReadWholeFile(outbox + "\\Busy.doc") == "queued busy");
    CHECK_FALSE(FileExists(outbox + "\\REPORT.DOC"));
    // What the conduit passes over is no queued file, and stays.
    for (const char* passedOver : {"empty.txt", "serialsync.txt", "$$temp$$.zip", "clash.txt"}) {
        CHECK(win::PathExists(outbox + "\\" + passedOver));
    }
}
