// Scratch folders and whole-file helpers for the emulated handheld's tests.
#pragma once

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

} // namespace palmtest
