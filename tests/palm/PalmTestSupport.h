// The emulated handheld's tests: scratch folders, whole-file helpers and short-hands for driving
// our SYNC20.dll the way a conduit does.
#pragma once

#include "emulated/palm/HandheldEmu.h"
#include "interfaces/palm/SyncMgr.h"
#include "tests/support/Files.h"

#include <windows.h>

#include <string>
#include <vector>

namespace palmtest {

using testsupport::ScratchFolder;

std::vector<BYTE> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes);
// Every file name in the folder (no subfolders).
std::vector<std::string> FileNames(const std::string& folder);

// Bytes 0, 1, 2 ... with a seed so that different records differ.
std::vector<BYTE> Pattern(size_t size, unsigned seed);

DWORD BE32(const std::vector<BYTE>& bytes, size_t offset);
WORD BE16(const std::vector<BYTE>& bytes, size_t offset);

// Seconds since 1904-01-01 of a calendar date and time, by plain day counting.
unsigned long long SecondsSince1904(const SYSTEMTIME& time);

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
// Closes a database while another program holds its file without sharing deletion; the result.
long CloseWhileHeld(BYTE handle, const std::string& path);

} // namespace palmtest
