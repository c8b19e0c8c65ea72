// Whether two folders are one, or lie one in the other, by what the system says they are (the
// volume and file index of each folder and of every folder above it), never by how they are spelled:
// a link, a junction, a drive letter mapped onto a folder, a short name or another spelling all
// reach the same identity.
#pragma once
#include <string>
#include <vector>

namespace bivane {

struct FolderIdentity {
    unsigned long volume = 0, high = 0, low = 0;
    bool operator==(const FolderIdentity&) const = default;
};

// False when dir cannot be opened.
bool IdentityOf(const std::string& dir, FolderIdentity& out);
// The identities of dir and of each folder above it, walked up both from its spelling and from
// where the system resolves it (links on the way followed). Empty when dir cannot be opened.
std::vector<FolderIdentity> IdentityChain(const std::string& dir);
// Whether dir is folder itself or lies somewhere inside it.
bool InsideOrSame(const std::string& dir, const std::string& folder);
// Whether the two are one folder, however each is spelled.
bool SameFolder(const std::string& a, const std::string& b);
// Whether the two folders are one or either lies inside the other.
bool FoldersOverlap(const std::string& a, const std::string& b);

}  // namespace bivane
