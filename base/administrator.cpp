// administrator.cpp
// The administrator check (advapi32: linked by the programs that use it).

#include "base/administrator.h"

bool checkAdministrator(CheckTokenMembershipFn checkTokenMembership, bool* administrator)
{
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID group = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &group))
        return false;
    BOOL member = FALSE;
    const BOOL answered = checkTokenMembership(nullptr, group, &member);
    const DWORD error = GetLastError();
    FreeSid(group);
    SetLastError(error);
    *administrator = answered && member;
    return answered != FALSE;
}
