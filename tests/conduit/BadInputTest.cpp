// Malformed handheld input: unsafe names, unterminated fields, absurd counts, bad compression
// fields and missing records. None may crash the pass or write anywhere but into the incoming folder.
#include "conduit/PcFiles.h"
#include "conduit/SyncDriver.h"
#include "emulated/palm/HandheldEmu.h"
#include "tests/conduit/TransferSupport.h"

#include <doctest/doctest.h>

#include <cstring>
#include <functional>

using namespace transfer_test;

namespace {

// A header whose name and extension fields hold exactly these bytes (no terminating zero when they
// fill the field).
FileHeader RawHeader(const std::string& name, const std::string& extension, DWORD fileSize,
                     DWORD compression = settings::NoArchiver) {
    FileHeader header = MakeHeader("x", fileSize, compression);
    std::memset(header.name, 0, sizeof(header.name));
    std::memcpy(header.name, name.data(), std::min(name.size(), sizeof(header.name)));
    std::memcpy(header.extension, extension.data(), std::min(extension.size(), sizeof(header.extension)));
    return header;
}

// A queued file database named "queued" whose header carries a bad name.
void QueueHeaderName(const std::string& name, const std::string& extension) {
    REQUIRE(PutFileDatabase("queued", RawHeader(name, extension, 4), "data"));
    REQUIRE(QueueForPc({"queued"}));
}

// A file database under a bad name, queued by that name.
void QueueDatabaseName(const std::string& name) {
    REQUIRE(PutFileDatabase(name, RawHeader("fine", ".txt", 4), "data"));
    REQUIRE(QueueForPc({name}));
}

void QueueRecords(const std::vector<std::string>& records) {
    REQUIRE(CreateDatabase("queued", kFileDatabaseType, layout::kCreatorIdNumber, records));
    REQUIRE(QueueForPc({"queued"}));
}

void QueueRawQueue(const std::vector<std::string>& queueRecords) {
    REQUIRE(PutFileDatabase("fine.txt", RawHeader("fine", ".txt", 4), "data"));
    REQUIRE(CreateDatabase(kQueueDatabaseName, 0x44415441, layout::kCreatorIdNumber, queueRecords));
}

struct BadInput {
    const char* description;
    std::function<void()> put;
    std::set<std::string> received;
    // The archiver expanded it: the file counts as received.
    bool expanded = false;
};

std::vector<BadInput> BadInputs() {
    return {
        {"empty name and extension", [] { QueueHeaderName("", ""); }, {}},
        {"name .", [] { QueueHeaderName(".", ""); }, {}},
        {"name ..", [] { QueueHeaderName("..", ""); }, {}},
        {"parent folder in the name", [] { QueueHeaderName("..\\evil", ".txt"); }, {}},
        {"parent folder split over the fields", [] { QueueHeaderName("..", "\\ev.t"); }, {}},
        {"forward slash", [] { QueueHeaderName("../evil", ".txt"); }, {}},
        {"drive colon", [] { QueueHeaderName("c:evil", ".txt"); }, {}},
        {"absolute path", [] { QueueHeaderName("C:\\evil", ".txt"); }, {}},
        {"UNC path", [] { QueueHeaderName("\\\\srv\\share", ""); }, {}},
        {"device CON", [] { QueueHeaderName("CON", ""); }, {}},
        {"device con.txt", [] { QueueHeaderName("con", ".txt"); }, {}},
        {"device NUL", [] { QueueHeaderName("NUL", ""); }, {}},
        {"device COM1.doc", [] { QueueHeaderName("COM1", ".doc"); }, {}},
        {"device LPT9", [] { QueueHeaderName("lpt9", ""); }, {}},
        {"device AUX with space", [] { QueueHeaderName("AUX ", ".txt"); }, {}},
        {"control character",
         [] {
             QueueHeaderName("a\x01"
                             "b",
                             ".txt");
         },
         {}},
        {"line break", [] { QueueHeaderName("a\nb", ".txt"); }, {}},
        {"wildcards", [] { QueueHeaderName("a*b?", ".txt"); }, {}},
        {"angle brackets and pipe", [] { QueueHeaderName("a<b>|c", ".txt"); }, {}},
        {"quotation mark", [] { QueueHeaderName("a\"b", ".txt"); }, {}},
        {"trailing dot", [] { QueueHeaderName("notes", "."); }, {}},
        {"trailing space", [] { QueueHeaderName("notes ", ""); }, {}},
        {"temporary archive name", [] { QueueHeaderName("$$temp$$", ".rar"); }, {}},
        {"the conduit's working folder name", [] { QueueHeaderName("~kestrinconduit", ".TMP"); }, {}},
        {"queued name ..", [] { QueueDatabaseName(".."); }, {}},
        {"queued name with a backslash", [] { QueueDatabaseName("..\\fine.txt"); }, {}},
        {"queued name with a control character", [] { QueueDatabaseName("fine\x7f\x02"); }, {}},
        {"queued device name", [] { QueueDatabaseName("PRN.txt"); }, {}},
        {"queued name of 32 bytes without a zero",
         [] {
             REQUIRE(PutFileDatabase(std::string(31, 'q'), RawHeader("fine", ".txt", 4), "data"));
             QueueRawQueue({BigEndian(1), std::string(32, 'q')});
         },
         {}},
        {"empty queued name",
         [] {
             QueueRawQueue({BigEndian(1), ""});
         },
         {}},
        {"queued name not on the handheld", [] { REQUIRE(QueueForPc({"missing.txt"})); }, {}},
        {"unterminated name and extension fields are read to their ends",
         [] { QueueHeaderName(std::string(16, 'n'), std::string(8, 'e')); },
         {std::string(16, 'n') + std::string(8, 'e')}},
        {"count of 4 294 967 295 with one name",
         [] {
             QueueRawQueue({BigEndian(0xFFFFFFFF), "fine.txt"});
         },
         {"fine.txt"}},
        {"count of 70 000 with one name",
         [] {
             QueueRawQueue({BigEndian(70000), "fine.txt"});
         },
         {"fine.txt"}},
        {"count larger than the names",
         [] {
             QueueRawQueue({BigEndian(5), "fine.txt"});
         },
         {"fine.txt"}},
        {"count record shorter than 4 bytes",
         [] {
             QueueRawQueue({std::string("\0\1", 2), "fine.txt"});
         },
         {}},
        {"count record empty",
         [] {
             QueueRawQueue({"", "fine.txt"});
         },
         {}},
        {"queue without records", [] { QueueRawQueue({}); }, {}},
        {"compression 3", [] { QueueRecords(FileRecords(RawHeader("c", ".txt", 4, 3), "data")); }, {}},
        {"compression 0xFFFFFFFF",
         [] { QueueRecords(FileRecords(RawHeader("c", ".txt", 4, 0xFFFFFFFF), "data")); },
         {}},
        {"compression 1 in handheld order",
         [] { QueueRecords(FileRecords(RawHeader("c", ".txt", 4, 0x01000000), "data")); },
         {}},
        {"no header record", [] { QueueRecords({}); }, {}},
        {"header shorter than 64 bytes",
         [] { QueueRecords({HeaderBytes(RawHeader("c", ".txt", 4)).substr(0, 40)}); },
         {}},
        {"data records missing", [] { QueueRecords({HeaderBytes(RawHeader("c", ".txt", 4))}); }, {}},
        {"file size smaller than the data",
         [] { QueueRecords(FileRecords(RawHeader("c", ".txt", 2), "data")); },
         {}},
        {"file size larger than the data",
         [] { QueueRecords(FileRecords(RawHeader("c", ".txt", 50000), "data")); },
         {}},
        {"record larger than 32 768 bytes",
         [] {
             QueueRecords({HeaderBytes(RawHeader("c", ".txt", 40000)), Pattern(40000)});
         },
         {}},
        {"empty data record before the rest",
         [] {
             QueueRecords({HeaderBytes(RawHeader("c", ".txt", 4)), "", "data"});
         },
         {}},
        {"compressed file whose archive is garbage",
         [] { QueueRecords(FileRecords(RawHeader("c", ".txt", 4, settings::WinZip), "not a zip")); },
         {}},
        {"a database of another application queued",
         [] {
             REQUIRE(CreateDatabase("memo", 0x44415441, 0x6D656D6F, {std::string(64, '\xFF'), "memo"}));
             REQUIRE(QueueForPc({"memo"}));
         },
         {}},
    };
}

} // namespace

TEST_CASE("malformed handheld input is passed over without a write outside the incoming folder") {
    ArchiverRegistration zip(settings::WinZip, TestArchiverPath(settings::WinZip));
    // The absolute-path name would land here.
    DeleteFileA("C:\\evil.txt");
    std::vector<BadInput> inputs = BadInputs();
    CHECK(inputs.size() >= 30);
    for (const BadInput& input : inputs) {
        std::string description = input.description;
        CAPTURE(description);
        TransferFixture sync;
        WriteBytes("sentinel.txt", "the current directory's file");
        input.put();
        std::set<std::string> expected = sync.PcEntries();
        for (const std::string& name : input.received) {
            expected.insert("inbox\\" + name);
        }

        ReceiveFiles();

        CHECK(sync.PcEntries() == expected);
        CHECK(ReadBytes("sentinel.txt") == std::string("the current directory's file"));
        CHECK(session.receivedCount == input.received.size() + (input.expanded ? 1 : 0));
        CHECK(EmuOpenDatabaseCount() == 0);
        for (const std::string& name : input.received) {
            CHECK(ReadBytes(sync.inbox(name)).has_value());
        }
    }
    CHECK(Entries("C:\\").count("evil.txt") == 0);
}
