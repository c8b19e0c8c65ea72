#include "platform/identity.h"

#include <algorithm>

#include "core/paths.h"
#include "platform/fs.h"
#include "platform/handles.h"
#include "platform/removal.h"

namespace bivane {

bool IdentityOf(const std::string& dir, FolderIdentity& out) {
    AutoCloseHandle h(CreateFileW(ExactPath(dir).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h || !GetFileInformationByHandle(h.get(), &info)) return false;
    out = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

namespace {

void WalkUp(std::string dir, std::vector<FolderIdentity>& chain) {
    while (!dir.empty()) {
        FolderIdentity id;
        if (IdentityOf(dir, id) && std::find(chain.begin(), chain.end(), id) == chain.end()) chain.push_back(id);
        const std::string parent = DirectoryPart(dir);
        if (parent == dir) break;
        dir = parent;
    }
}

}  // namespace

std::vector<FolderIdentity> IdentityChain(const std::string& dir) {
    std::vector<FolderIdentity> chain;
    FolderIdentity own;
    if (!IdentityOf(dir, own)) return chain;
    chain.push_back(own);
    WalkUp(dir, chain);
    // Where the system resolves dir (a link's target, a substituted drive's folder): its own folders
    // above are not those of the spelling.
    WalkUp(ResolvedDirectory(dir), chain);
    return chain;
}

bool InsideOrSame(const std::string& dir, const std::string& folder) {
    FolderIdentity id;
    if (!IdentityOf(folder, id)) return false;
    const std::vector<FolderIdentity> chain = IdentityChain(dir);
    return std::find(chain.begin(), chain.end(), id) != chain.end();
}

bool SameFolder(const std::string& a, const std::string& b) {
    FolderIdentity x, y;
    return IdentityOf(a, x) && IdentityOf(b, y) && x == y;
}

bool FoldersOverlap(const std::string& a, const std::string& b) { return InsideOrSame(a, b) || InsideOrSame(b, a); }

}  // namespace bivane
