// MeasureLayout, for the record entries of any reader that extends RecordEntry.
#pragma once

#include <algorithm>

namespace formats {

template <class Entry>
bool MeasureLayout(const DatabaseHeader& header, std::vector<Entry>& entries, uint32_t fileSize,
                   Layout& out) {
    uint32_t position = header.EntriesEnd(entries.size());
    uint32_t firstRecord = entries.empty() ? fileSize : entries.front().offset;
    uint32_t appInfo = header.appInfoOffset;
    uint32_t sortInfo = header.sortInfoOffset;
    if (position > fileSize || firstRecord > fileSize ||
        (appInfo != 0 && (appInfo < position || appInfo > firstRecord)) ||
        (sortInfo != 0 && (sortInfo < std::max(appInfo, position) || sortInfo > firstRecord))) {
        return false;
    }
    out.appInfoSize = appInfo != 0 ? (sortInfo != 0 ? sortInfo : firstRecord) - appInfo : 0;
    out.sortInfoSize = sortInfo != 0 ? firstRecord - sortInfo : 0;
    position = std::max(position, std::max(appInfo, sortInfo));
    out.dataBytes = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        uint32_t end = i + 1 < entries.size() ? entries[i + 1].offset : fileSize;
        if (entries[i].offset < position || end < entries[i].offset) {
            return false;
        }
        entries[i].size = end - entries[i].offset;
        out.dataBytes += entries[i].size;
        position = entries[i].offset;
    }
    return true;
}

} // namespace formats
