#include "install/FolderRights.h"

#include <aclapi.h>

namespace install {

std::vector<BYTE> UsersGroupSid() {
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    if (!CreateWellKnownSid(WinBuiltinUsersSid, nullptr, sid.data(), &size)) {
        return {};
    }
    sid.resize(size);
    return sid;
}

win::LocalMemory AccessListGrantingUsersModify(const ACL* current) {
    std::vector<BYTE> users = UsersGroupSid();
    if (users.empty()) {
        return {};
    }
    EXPLICIT_ACCESSA entry = {};
    entry.grfAccessPermissions = kModifyRights;
    entry.grfAccessMode = GRANT_ACCESS;
    entry.grfInheritance = kInheritedByContents;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    entry.Trustee.ptstrName = reinterpret_cast<LPSTR>(users.data());
    PACL granted = nullptr;
    DWORD result = SetEntriesInAclA(1, &entry, const_cast<ACL*>(current), &granted);
    if (result != ERROR_SUCCESS) {
        SetLastError(result);
        return {};
    }
    return win::LocalMemory(granted);
}

DWORD GrantUsersModify(const std::string& folder) {
    PACL current = nullptr;
    win::LocalMemory descriptor;
    DWORD result = GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, &current, nullptr,
                                         reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.receive()));
    if (result != ERROR_SUCCESS) {
        return result;
    }
    // No list at all lets everyone do anything: a list of one entry would take rights away.
    if (current == nullptr) {
        return ERROR_SUCCESS;
    }
    win::LocalMemory granted = AccessListGrantingUsersModify(current);
    if (!granted) {
        return GetLastError();
    }
    // Without a protection flag the folder keeps inheriting from its parent.
    return SetNamedSecurityInfoA(const_cast<char*>(folder.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                 nullptr, nullptr, static_cast<PACL>(granted.get()), nullptr);
}

} // namespace install
