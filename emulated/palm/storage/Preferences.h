// Application preferences as Palm OS keeps them: resources of "Saved Preferences" (backed up) or
// "Unsaved Preferences", type = the application's creator, id = the preference ID, data = the
// preference's version (big-endian u16) followed by its bytes.
#pragma once

#include "emulated/palm/storage/HandheldFolder.h"

#include <vector>

namespace palm {

constexpr const char* kSavedPreferences = "Saved Preferences";
constexpr const char* kUnsavedPreferences = "Unsaved Preferences";
// A preference's size travels in 16 bits, after the 2 version bytes of the resource.
constexpr DWORD kMaxPreferenceSize = kMaxRecordSize - 2;

struct Preference {
    WORD version = 0;
    std::vector<BYTE> data;
};

const char* PreferenceDatabaseName(bool backedUp);
// NotFound when there is no such preference (or no preference database).
Status ReadPreference(const HandheldFolder& handheld, DWORD creator, WORD id, bool backedUp, Preference& out);
// Creates the preference database when needed.
Status WritePreference(const HandheldFolder& handheld, DWORD creator, WORD id, bool backedUp, WORD version,
                       const BYTE* data, DWORD size);

} // namespace palm
