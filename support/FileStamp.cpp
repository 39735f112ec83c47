#include "FileStamp.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

FileStamp FileStampOf(const std::string& path) {
    FileStamp stamp;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return stamp;
    }
    stamp.exists = true;
    stamp.device = static_cast<uint64_t>(st.st_dev);
    stamp.inode = static_cast<uint64_t>(st.st_ino);
    stamp.size = static_cast<int64_t>(st.st_size);
    stamp.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

std::optional<uint64_t> FileContentHash(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        return std::nullopt;
    }
    uint64_t hash = 14695981039346656037ull;
    unsigned char block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, file.get())) > 0) {
        for (size_t i = 0; i < n; ++i) {
            hash = (hash ^ block[i]) * 1099511628211ull;
        }
    }
    if (std::ferror(file.get())) {
        return std::nullopt;
    }
    return hash;
}
