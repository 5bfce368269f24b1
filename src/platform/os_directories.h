// The seam for listing a folder: the one directory walk of the image scan and search.
#pragma once

#include <functional>
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
    // Hands each entry of the folder (a path ending in "\") to `each` as it is read, in the order
    // the file system returns them, so that the caller can keep the window answering while a
    // large folder is read; false, with nothing handed over, when the folder cannot be listed.
    virtual bool each_entry(const std::string& folder,
                            const std::function<void(const FolderEntry&)>& each) = 0;
    // Replaces `out` with all of them.
    bool list(const std::string& folder, std::vector<FolderEntry>& out) {
        out.clear();
        return each_entry(folder, [&out](const FolderEntry& e) { out.push_back(e); });
    }
};

}  // namespace qv::os
