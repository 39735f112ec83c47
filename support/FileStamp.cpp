#include "FileStamp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

FileStamp FileStampOf(const std::string& path) {
    int64_t unused = 0;
    return FileStampOf(path, &unused);
}

FileStamp FileStampOf(const std::string& path, int64_t* statusChangedNs) {
    FileStamp stamp;
    *statusChangedNs = 0;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return stamp;
    }
    *statusChangedNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.exists = true;
    stamp.device = static_cast<uint64_t>(st.st_dev);
    stamp.inode = static_cast<uint64_t>(st.st_ino);
    stamp.size = static_cast<int64_t>(st.st_size);
    stamp.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;

uint64_t Rotl(uint64_t x, int r) {
    return (x << r) | (x >> (64 - r));
}

// Each step is one-to-one in the lane and in the word, so a file that differs from another
// in one word always gives another lane.
uint64_t Step(uint64_t lane, uint64_t word) {
    return Rotl(lane ^ (word * kPrime2), 31) * kPrime1;
}

}  // namespace

void ContentHasher::Add(std::string_view bytes) {
    // Four lanes of eight bytes side by side: the multiplications of one lane do not wait
    // for those of another, so the hash keeps up with the copy from the page cache (the
    // byte-at-a-time hash it replaces cost 1.6 ms per megabyte, twice at every save).
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t size = bytes.size();
    m_total += size;
    const auto block = [this](const unsigned char* at) {
        for (int k = 0; k < 4; ++k) {
            uint64_t word;
            std::memcpy(&word, at + 8 * k, 8);
            m_lanes[k] = Step(m_lanes[k], word);
        }
    };
    if (m_keptSize > 0) {
        const size_t take = std::min(size, sizeof m_kept - m_keptSize);
        std::memcpy(m_kept + m_keptSize, data, take);
        m_keptSize += take;
        data += take;
        size -= take;
        if (m_keptSize < sizeof m_kept) {
            return;
        }
        block(m_kept);
        m_keptSize = 0;
    }
    for (; size >= 32; data += 32, size -= 32) {
        block(data);
    }
    std::memcpy(m_kept, data, size);
    m_keptSize = size;
}

uint64_t ContentHasher::Finish() const {
    uint64_t hash = m_total * kPrime1;
    for (size_t i = 0; i < m_keptSize; ++i) {
        hash = Step(hash, m_kept[i] + 1);
    }
    for (uint64_t lane : m_lanes) {
        hash = Step(hash, lane);
    }
    hash ^= hash >> 29;
    return hash;
}

std::optional<uint64_t> FileContentHash(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    ContentHasher hasher;
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        hasher.Add(std::string_view(block, static_cast<size_t>(n)));
    }
    ::close(fd);
    return hasher.Finish();
}
