// Our HotSync log: keeps the entries of this process in memory for the host to print.
#define HSLOG20_BUILD
#define KESTRIN_EMU_BUILD
#include "interfaces/palm/HSLog.h"
#include "emulated/palm/HandheldEmu.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Entry {
    std::string text;
    int activity;
    BOOL timeStamp;
};

std::vector<Entry>& Entries() {
    static std::vector<Entry> entries;
    return entries;
}

} // namespace

extern "C" long __cdecl LogAddEntry(const char* text, int activity, BOOL timeStamp) {
    Entries().push_back({text ? text : "", activity, timeStamp});
    return 0;
}

extern "C" EMU_API int __cdecl EmuLogEntryCount() {
    return static_cast<int>(Entries().size());
}

extern "C" EMU_API BOOL __cdecl EmuLogEntry(int index, char* text, int textSize, int* activity,
                                            BOOL* timeStamp) {
    if (index < 0 || index >= EmuLogEntryCount()) {
        return FALSE;
    }
    const Entry& entry = Entries()[index];
    if (text != nullptr && textSize > 0) {
        lstrcpynA(text, entry.text.c_str(), textSize);
    }
    if (activity != nullptr) {
        *activity = entry.activity;
    }
    if (timeStamp != nullptr) {
        *timeStamp = entry.timeStamp;
    }
    return TRUE;
}

extern "C" EMU_API void __cdecl EmuLogClear() {
    Entries().clear();
}
