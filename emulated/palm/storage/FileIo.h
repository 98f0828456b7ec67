// Small whole-buffer file operations over win::File, and scratch files.
#pragma once

#include "win/Handles.h"

#include <string>

namespace palm {

win::File OpenForReading(const std::string& path);
bool ReadAt(HANDLE file, DWORD offset, void* buffer, DWORD size);
bool WriteAt(HANDLE file, DWORD offset, const void* buffer, DWORD size);
bool WriteAll(HANDLE file, const void* buffer, DWORD size);
// Size of an open file, false when it does not fit 31 bits.
bool SmallFileSize(HANDLE file, DWORD& size);
bool PathExists(const std::string& path);

// The steps of the storage's own work in creating and committing a database: a work file made,
// written, or given the database's name. A test can end the process at any of them, as a crash or a
// pulled cable would.
void StorageStep();
// Ends the process, with exit code 9, at the nth step from now on; 0 disarms.
void EndProcessAtStep(DWORD nth);

// Scratch files for record bytes not yet committed: kept open in a process-wide pool and emptied
// for reuse, because deleting a file costs Wine milliseconds. They vanish when the process ends.
win::File TakeScratchFile();
void ReturnScratchFile(win::File file);

} // namespace palm
