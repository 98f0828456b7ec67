// Black-box HotSyncs: the real hotsync.exe loads the real KestrinConduit.dll against an emulated
// handheld folder, with the Settings store pointed at an outgoing and an incoming folder of a
// scratch PC. The test prepares and inspects the handheld from its own process between runs, and
// tracks every file a case involves: afterwards each must be whole on at least one side.
#pragma once

#include "settings/Settings.h"
#include "tests/conduit/TransferSupport.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace end_to_end {

struct HotSyncRun {
    bool ended = false; // the host ended by itself (not killed by the test)
    DWORD exitCode = 0; // 9 when the host killed itself on --kill-after
    std::string output; // everything the host printed
    std::vector<std::string> warnings;
    std::vector<std::string> questions;
    std::vector<std::string> logLines; // every HotSync log line, as printed
    bool Warned(const std::string& fileName) const;
};

struct HotSyncOptions {
    std::vector<std::string> arguments; // --answer yes, --kill-after write-record:5 …
    // The test archivers hang once started; the host is then killed, and the archiver with it.
    bool killWhileArchiverRuns = false;
    std::optional<std::string> archiverMode; // KESTRIN_TEST_ARCHIVER for this run
};

// A file of the case, by the name it has on the PC and on the handheld.
struct TrackedFile {
    std::string pcName;
    std::string handheldName;
    std::string bytes;
};

class HotSyncBench {
public:
    HotSyncBench(DWORD fromPalmToPC = settings::Overwrite, DWORD fromPCToPalm = settings::Overwrite,
                 DWORD archiver = settings::NoArchiver);
    ~HotSyncBench();
    HotSyncBench(const HotSyncBench&) = delete;
    HotSyncBench& operator=(const HotSyncBench&) = delete;

    std::string outbox(const std::string& name = "") const;
    std::string inbox(const std::string& name = "") const;
    const std::string& root() const { return scratch_.path(); }

    // Runs `work` with the test process attached to the emulated handheld.
    void OnHandheld(const std::function<void()>& work) const;

    HotSyncRun Run(const HotSyncOptions& options = {}) const;
    HotSyncRun Run(std::vector<std::string> arguments) const;

    // A PC file in the outgoing folder, tracked.
    void PutOutgoing(const std::string& name, const std::string& bytes);
    // A file database on the handheld queued for the PC, tracked (compression: its archive holds a
    // file named `pcName`).
    void PutQueued(const std::string& pcName, const std::string& bytes,
                   DWORD compression = settings::NoArchiver);
    void Track(const std::string& pcName, const std::string& bytes);

    // Every tracked file whole in the outgoing folder, the incoming folder or on the handheld;
    // each one that is not counts as lost.
    void CheckNothingLost() const;
    // No working folder of the conduit (marked or empty) or temporary archive left in either folder,
    // and no work file of the handheld's own.
    void CheckNoStrayFile() const;
    // Every database file on the handheld holds a whole database.
    void CheckHandheldWhole() const;

private:
    transfer_test::ScratchFolder scratch_;
    std::unique_ptr<transfer_test::StoredSettings> stored_;
    std::vector<TrackedFile> tracked_;
};

// The data of the handheld's file database `name`, or "(none)"; whether the handheld holds a
// database of that name.
std::string HandheldData(const HotSyncBench& bench, const std::string& name);
bool OnHandheld(const HotSyncBench& bench, const std::string& name);

// Counted over the whole run of the suite and printed at its end.
void CountCase();

} // namespace end_to_end
