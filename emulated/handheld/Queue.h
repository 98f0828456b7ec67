// The queue database "KestrinDatabaseFiles": record 0 starts with the number N of queued files
// (big-endian u32), records 1 to N hold their names, zero-terminated.
#pragma once

#include "emulated/palm/storage/HandheldFolder.h"

#include <string>
#include <vector>

namespace handheld {

constexpr const char* kQueueDatabaseName = "KestrinDatabaseFiles";
constexpr const char* kQueueDatabaseType = "DATA";
constexpr DWORD kMaxQueuedFiles = 0xFFFF;

// Adds a name, creating the queue database when there is none.
palm::Status AppendToQueue(const palm::HandheldFolder& handheld, const std::string& name, std::string& error);
// The queued names; NotFound when there is no queue.
palm::Status ReadQueue(const palm::HandheldFolder& handheld, std::vector<std::string>& names);

} // namespace handheld
