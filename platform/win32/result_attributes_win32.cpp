// What a result takes from its input once it is complete: the input's
// access list (DACL), its owner and group as far as the process may, and
// the attributes that say how it is shown and indexed.
#include <cerrno>
#include <io.h>
#include <vector>

#include "platform/working_files.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/windows_api.h"

#include <aclapi.h>

namespace platform {

namespace {

// The attributes a result takes from its input. The read-only attribute is
// not among them: a read-only input is never replaced. The archive
// attribute the system gave the new file stays: the file has changed, and
// backup programs must see it so.
const DWORD kCopiedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool failWith(DWORD error) {
    win32::setErrnoFromError(error);
    return false;
}

HANDLE handleOf(int descriptor) { return reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor)); }

// Frees what GetSecurityInfo returned.
struct LocalBlock {
    PSECURITY_DESCRIPTOR pointer = nullptr;
    ~LocalBlock() {
        if (pointer != nullptr) ::LocalFree(pointer);
    }
};

bool copyFileAttributes(HANDLE to, HANDLE from) {
    FILE_BASIC_INFO input;
    FILE_BASIC_INFO result;
    if (!::GetFileInformationByHandleEx(from, FileBasicInfo, &input, sizeof input) ||
        !::GetFileInformationByHandleEx(to, FileBasicInfo, &result, sizeof result)) {
        return failWith(::GetLastError());
    }
    const DWORD wanted = (result.FileAttributes & ~kCopiedAttributes) | (input.FileAttributes & kCopiedAttributes);
    if (wanted == result.FileAttributes) return true;
    // Times of zero leave the result's times as they are.
    FILE_BASIC_INFO change = {};
    change.FileAttributes = wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(to, FileBasicInfo, &change, sizeof change) != 0 ||
           failWith(::GetLastError());
}

// The entries of `acl` the input holds itself, leaving out those it
// inherited from its directory: the result's directory gives it those.
// An empty list when `acl` holds none.
bool ownEntries(const ACL& acl, std::vector<unsigned char>& buffer) {
    buffer.assign(acl.AclSize, 0);
    ACL* own = reinterpret_cast<ACL*>(buffer.data());
    if (!::InitializeAcl(own, acl.AclSize, acl.AclRevision)) return false;
    for (DWORD index = 0; index < acl.AceCount; ++index) {
        void* entry = nullptr;
        if (!::GetAce(const_cast<ACL*>(&acl), index, &entry)) return false;
        const ACE_HEADER* header = static_cast<const ACE_HEADER*>(entry);
        if ((header->AceFlags & INHERITED_ACE) != 0) continue;
        if (!::AddAce(own, acl.AclRevision, MAXDWORD, entry, header->AceSize)) return false;
    }
    return true;
}

// Gives `to` the DACL of `from`: protected, it is copied as it stands;
// otherwise its own entries are, and the result inherits the rest from the
// directory as the input did. Then its owner and group, where the process
// may set them; where it may not, the result keeps the run's own.
bool copySecurity(HANDLE to, HANDLE from) {
    PSID owner = nullptr;
    PSID group = nullptr;
    PACL dacl = nullptr;
    LocalBlock descriptor;
    DWORD error = ::GetSecurityInfo(from, SE_FILE_OBJECT,
                                    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                    &owner, &group, &dacl, nullptr, &descriptor.pointer);
    if (error != ERROR_SUCCESS) return failWith(error);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!::GetSecurityDescriptorControl(descriptor.pointer, &control, &revision)) return failWith(::GetLastError());
    const bool isProtected = (control & SE_DACL_PROTECTED) != 0;
    std::vector<unsigned char> own;
    PACL given = dacl;  // a null DACL lets everyone in, and inherits nothing
    if (dacl != nullptr && !isProtected) {
        if (!ownEntries(*dacl, own)) return failWith(::GetLastError());
        given = reinterpret_cast<PACL>(own.data());
    }
    const SECURITY_INFORMATION which = DACL_SECURITY_INFORMATION | (isProtected ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                               : UNPROTECTED_DACL_SECURITY_INFORMATION);
    error = ::SetSecurityInfo(to, SE_FILE_OBJECT, which, nullptr, nullptr, given, nullptr);
    if (error != ERROR_SUCCESS) return failWith(error);
    // Another owner takes a privilege the run seldom holds; a group, that
    // the run's user be a member of it. Anyone may try.
    if (::SetSecurityInfo(to, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION, owner, group,
                          nullptr, nullptr) != ERROR_SUCCESS) {
        ::SetSecurityInfo(to, SE_FILE_OBJECT, GROUP_SECURITY_INFORMATION, nullptr, group, nullptr, nullptr);
    }
    return true;
}

// True when the volume of the file open on `handle` keeps access lists.
bool keepsAccessLists(HANDLE handle) {
    DWORD flags = 0;
    if (!::GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) return true;
    return (flags & FILE_PERSISTENT_ACLS) != 0;
}

}  // namespace

// The input was opened for GENERIC_READ, which holds the READ_CONTROL its
// security descriptor asks for; the result was created with WRITE_DAC and
// WRITE_OWNER besides GENERIC_WRITE (see createPrivateFile).
bool copyAttributes(int descriptor, const FileFacts&, int inputDescriptor, const FileFacts&) {
    HANDLE to = handleOf(descriptor);
    HANDLE from = handleOf(inputDescriptor);
    if (to == INVALID_HANDLE_VALUE || from == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return false;
    }
    if (!copyFileAttributes(to, from)) return false;
    return !keepsAccessLists(from) || copySecurity(to, from);
}

}  // namespace platform
