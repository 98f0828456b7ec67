// condmgr.dll: registers conduits with the emulated HotSync Manager. Every call reads and writes
// the registry directly, so that a registration made by one process is seen by the next.
#include "emulated/condmgr/Registrations.h"
#include "interfaces/palm/CondMgr.h"
#include "settings/Settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace condmgr;

constexpr DWORD kMaxPriority = 4;
// A library name must fit a Windows path.
constexpr size_t kMaxConduitNameLength = MAX_PATH - 1;

struct Registration {
    unsigned long number = 0;
    std::string creator;
};

// Exactly four non-zero characters and the terminating zero.
bool IsCreatorId(const char* creator) {
    if (creator == nullptr) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (creator[i] == '\0') {
            return false;
        }
    }
    return creator[4] == '\0';
}

std::string SubkeyName(unsigned long number) {
    return kRegistrationPrefix + std::to_string(number);
}

// The number of an "Application<N>" subkey; nothing for any other name.
std::optional<unsigned long> RegistrationNumber(const char* subkey) {
    size_t prefixLength = std::strlen(kRegistrationPrefix);
    if (std::strncmp(subkey, kRegistrationPrefix, prefixLength) != 0) {
        return std::nullopt;
    }
    const char* digits = subkey + prefixLength;
    if (*digits == '\0' || std::strspn(digits, "0123456789") != std::strlen(digits) ||
        std::strlen(digits) > 9) {
        return std::nullopt;
    }
    return std::strtoul(digits, nullptr, 10);
}

// Numbers of every "Application<N>" subkey, registration or not; false when the key cannot be read.
bool SubkeyNumbers(HKEY root, std::vector<unsigned long>& numbers) {
    for (DWORD index = 0;; ++index) {
        char name[256] = {};
        DWORD length = sizeof(name);
        LONG result = RegEnumKeyExA(root, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) {
            return true;
        }
        if (result == ERROR_MORE_DATA) {
            continue;
        }
        if (result != ERROR_SUCCESS) {
            return false;
        }
        if (std::optional<unsigned long> number = RegistrationNumber(name)) {
            numbers.push_back(*number);
        }
    }
}

// The registrations in the order of their numbers. A missing key holds none.
std::optional<std::vector<Registration>> ListRegistrations() {
    std::vector<Registration> registrations;
    win::RegKey root = settings::OpenKey(HKEY_CURRENT_USER, kRegistrationsKeyPath, KEY_READ);
    if (!root) {
        return registrations;
    }
    std::vector<unsigned long> numbers;
    if (!SubkeyNumbers(root.get(), numbers)) {
        return std::nullopt;
    }
    std::sort(numbers.begin(), numbers.end());
    for (unsigned long number : numbers) {
        win::RegKey key = settings::OpenKey(root.get(), SubkeyName(number).c_str(), KEY_READ);
        std::optional<std::string> creator =
            key ? settings::ReadString(key.get(), kCreatorValue) : std::nullopt;
        if (creator && IsCreatorId(creator->c_str())) {
            registrations.push_back({number, *creator});
        }
    }
    return registrations;
}

// Finds a creator's registration; the result is kOk, kErrNoConduit or kErrRegistry.
int FindRegistration(const char* creator, Registration& found) {
    std::optional<std::vector<Registration>> registrations = ListRegistrations();
    if (!registrations) {
        return kErrRegistry;
    }
    for (const Registration& registration : *registrations) {
        if (registration.creator == creator) {
            found = registration;
            return kOk;
        }
    }
    return kErrNoConduit;
}

// Opens the registration's key for writing, after checking the creator ID.
int OpenRegistration(const char* creator, win::RegKey& key) {
    if (!IsCreatorId(creator)) {
        return kErrBadCreator;
    }
    Registration registration;
    int result = FindRegistration(creator, registration);
    if (result != kOk) {
        return result;
    }
    std::string path = std::string(kRegistrationsKeyPath) + "\\" + SubkeyName(registration.number);
    key = settings::OpenKey(HKEY_CURRENT_USER, path.c_str());
    return key ? kOk : kErrRegistry;
}

int Install(const char* creator, int type) {
    if (!IsCreatorId(creator)) {
        return kErrBadCreator;
    }
    if (type < 0) {
        return kErrBadArgument;
    }
    Registration existing;
    int result = FindRegistration(creator, existing);
    if (result != kErrNoConduit) {
        return result == kOk ? kErrCreatorInUse : result;
    }
    win::RegKey root = settings::CreateKey(HKEY_CURRENT_USER, kRegistrationsKeyPath);
    std::vector<unsigned long> numbers;
    if (!root || !SubkeyNumbers(root.get(), numbers)) {
        return kErrRegistry;
    }
    unsigned long number = 0;
    while (std::find(numbers.begin(), numbers.end(), number) != numbers.end()) {
        ++number;
    }
    std::string subkey = SubkeyName(number);
    win::RegKey key = settings::CreateKey(root.get(), subkey.c_str());
    if (!key) {
        return kErrRegistry;
    }
    // The creator goes last: a registration is only seen once it is whole.
    if (!settings::WriteDword(key.get(), kTypeValue, static_cast<DWORD>(type)) ||
        !settings::WriteDword(key.get(), kPriorityValue, kDefaultPriority) ||
        !settings::WriteString(key.get(), kCreatorValue, creator)) {
        key.reset();
        RegDeleteKeyA(root.get(), subkey.c_str());
        return kErrRegistry;
    }
    return kOk;
}

int SetName(const char* creator, const char* name) {
    if (name == nullptr || name[0] == '\0' ||
        strnlen(name, kMaxConduitNameLength + 1) > kMaxConduitNameLength) {
        return IsCreatorId(creator) ? kErrBadArgument : kErrBadCreator;
    }
    win::RegKey key;
    int result = OpenRegistration(creator, key);
    if (result != kOk) {
        return result;
    }
    return settings::WriteString(key.get(), kConduitValue, name) ? kOk : kErrRegistry;
}

int SetPriority(const char* creator, DWORD priority) {
    if (priority > kMaxPriority) {
        return IsCreatorId(creator) ? kErrBadArgument : kErrBadCreator;
    }
    win::RegKey key;
    int result = OpenRegistration(creator, key);
    if (result != kOk) {
        return result;
    }
    return settings::WriteDword(key.get(), kPriorityValue, priority) ? kOk : kErrRegistry;
}

int Remove(const char* creator) {
    if (!IsCreatorId(creator)) {
        return kErrBadCreator;
    }
    Registration registration;
    int result = FindRegistration(creator, registration);
    if (result != kOk) {
        return result;
    }
    win::RegKey root = settings::OpenKey(HKEY_CURRENT_USER, kRegistrationsKeyPath);
    if (!root || RegDeleteKeyA(root.get(), SubkeyName(registration.number).c_str()) != ERROR_SUCCESS) {
        return kErrRegistry;
    }
    return kOk;
}

int CreatorByIndex(int index, char* creator) {
    if (creator == nullptr) {
        return kErrBadArgument;
    }
    std::optional<std::vector<Registration>> registrations = ListRegistrations();
    if (!registrations) {
        return kErrRegistry;
    }
    if (index < 0 || static_cast<size_t>(index) >= registrations->size()) {
        return kErrNoConduit;
    }
    std::memcpy(creator, (*registrations)[index].creator.c_str(), 5);
    return kOk;
}

int CreatorName(const char* creator, char* name, int* size) {
    if (size == nullptr || *size < 0) {
        return IsCreatorId(creator) ? kErrBadArgument : kErrBadCreator;
    }
    win::RegKey key;
    int result = OpenRegistration(creator, key);
    if (result != kOk) {
        return result;
    }
    // A registration whose name was never set has an empty one.
    std::string conduit = settings::ReadString(key.get(), kConduitValue).value_or("");
    int needed = static_cast<int>(conduit.size() + 1);
    if (name == nullptr || *size < needed) {
        *size = needed;
        return kErrBufferTooSmall;
    }
    std::memcpy(name, conduit.c_str(), needed);
    *size = needed;
    return kOk;
}

int CreatorPriority(const char* creator, DWORD* priority) {
    if (priority == nullptr) {
        return IsCreatorId(creator) ? kErrBadArgument : kErrBadCreator;
    }
    win::RegKey key;
    int result = OpenRegistration(creator, key);
    if (result != kOk) {
        return result;
    }
    *priority = settings::ReadDword(key.get(), kPriorityValue).value_or(kDefaultPriority);
    return kOk;
}

// Nothing may throw out of an export.
template <class Body> int Guarded(Body body) {
    try {
        return body();
    } catch (...) {
        return kErrRegistry;
    }
}

} // namespace

extern "C" {

int WINAPI CmInstallCreator(const char* creator, int type) {
    return Guarded([&] { return Install(creator, type); });
}

int WINAPI CmSetCreatorName(const char* creator, const char* name) {
    return Guarded([&] { return SetName(creator, name); });
}

int WINAPI CmSetCreatorPriority(const char* creator, DWORD priority) {
    return Guarded([&] { return SetPriority(creator, priority); });
}

int WINAPI CmRemoveConduitByCreatorID(const char* creator) {
    return Guarded([&] { return Remove(creator); });
}

int WINAPI CmGetConduitCount() {
    return Guarded([] {
        std::optional<std::vector<Registration>> registrations = ListRegistrations();
        return registrations ? static_cast<int>(registrations->size()) : kErrRegistry;
    });
}

int WINAPI CmGetCreatorIDByIndex(int index, char* creator) {
    return Guarded([&] { return CreatorByIndex(index, creator); });
}

int WINAPI CmGetCreatorName(const char* creator, char* name, int* size) {
    return Guarded([&] { return CreatorName(creator, name, size); });
}

int WINAPI CmGetCreatorPriority(const char* creator, DWORD* priority) {
    return Guarded([&] { return CreatorPriority(creator, priority); });
}
}
