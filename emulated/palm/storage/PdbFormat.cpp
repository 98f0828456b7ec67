#include "emulated/palm/storage/PdbFormat.h"

namespace palm {

DWORD PalmTimeNow() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME fileTime;
    SystemTimeToFileTime(&local, &fileTime);
    ULARGE_INTEGER ticks;
    ticks.LowPart = fileTime.dwLowDateTime;
    ticks.HighPart = fileTime.dwHighDateTime;
    // FILETIME counts 100 ns from 1601-01-01; 1904-01-01 is 9561628800 s later.
    constexpr ULONGLONG kSeconds1601To1904 = 9561628800ull;
    return static_cast<DWORD>(ticks.QuadPart / 10000000ull - kSeconds1601To1904);
}

} // namespace palm
