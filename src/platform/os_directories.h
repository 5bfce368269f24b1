// The seam for listing a folder: the one directory walk of the image scan and search.
#pragma once

#include <string>
#include <vector>

namespace qv::os {

struct FolderEntry {
    std::string name;     // the long name, code-page-936 bytes
    bool folder = false;  // a subfolder ("." and ".." are never reported)
};

class DirectoryLister {
public:
    virtual ~DirectoryLister() = default;
    // Replaces `out` with the entries of the folder (a path ending in "\") in the order the file
    // system returns them; false, with `out` empty, when the folder cannot be listed.
    virtual bool list(const std::string& folder, std::vector<FolderEntry>& out) = 0;
};

}  // namespace qv::os
