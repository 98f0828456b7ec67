// The handheld application's queue database "KestrinDatabaseFiles" (formats/FileDatabase.h).
#pragma once

#include "emulated/palm/storage/HandheldFolder.h"
#include "formats/FileDatabase.h"

#include <string>
#include <vector>

namespace handheld {

using formats::kMaxQueuedFiles;
using formats::kQueueDatabaseName;

// Adds a name, creating the queue database when there is none.
palm::Status AppendToQueue(const palm::HandheldFolder& handheld, const std::string& name, std::string& error);
// The queued names; NotFound when there is no queue.
palm::Status ReadQueue(const palm::HandheldFolder& handheld, std::vector<std::string>& names);

} // namespace handheld
