#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end.

#include <filesystem>
#include <string>

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "p7testXXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            mPath = pattern;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        // Read-only folders left by a test must become writable again to be removed.
        std::filesystem::permissions(mPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(mPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending in '/'.
    std::string Path() const { return mPath.string() + "/"; }

private:
    std::filesystem::path mPath;
};
