// Short-hands for driving our SYNC20.dll the way a conduit does.
#pragma once

#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "tests/palm/PalmTestSupport.h"

#include <string>
#include <vector>

namespace palmtest {

constexpr DWORD kTypeData = 0x44615461;       // 'DaTa'
constexpr DWORD kCreatorKestrin = 0x76714B54; // 'vqKT'

// A fresh handheld folder, attached for the length of a test.
struct AttachedHandheld {
    AttachedHandheld();
    ScratchFolder folder{"palm"};
};

long CreateDatabase(const std::string& name, BYTE& handle, DWORD type = kTypeData,
                    DWORD creator = kCreatorKestrin, WORD version = 10, DWORD flags = 0);
// Adds a new record; its ID comes back in `id` when given.
long WriteNewRecord(BYTE handle, const std::vector<BYTE>& bytes, DWORD* id = nullptr, BYTE attributes = 0x40,
                    short category = 0);
// Reads record `index` into a buffer of `capacity` bytes; `out` gets the bytes copied.
long ReadRecord(BYTE handle, WORD index, WORD capacity, std::vector<BYTE>& out,
                CRawRecordInfo* info = nullptr);
// A database of `records` written and closed.
void MakeDatabase(const std::string& name, const std::vector<std::vector<BYTE>>& records);
// A block for the 42-byte transfer-count preference of vqKT (ID 0, backed up), reading into `data`.
CSyncPreference TransferCountPreference(BYTE (&data)[42]);
// Number of records of a database (opened and closed for reading).
int CountRecords(const std::string& name);

} // namespace palmtest
