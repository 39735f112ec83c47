// The content hash that tells a rewrite which kept the file's stamp: the same bytes give
// the same hash, and one changed, added or removed byte anywhere (at the reads' block
// borders, in the last bytes that do not fill a word) gives another.
#include "FileStamp.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("filestamp-" + std::to_string(::getpid()) + "-" + name))
                                 .string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(FileContentHash, EveryChangedByteIsSeen) {
    const struct {
        size_t size;
        std::vector<size_t> changed;  // positions, each changed alone
    } cases[] = {
        {0, {}},
        {1, {0}},
        {31, {0, 30}},
        {32, {0, 31}},
        {33, {31, 32}},
        {65535, {0, 65503, 65504, 65534}},
        {65536, {65535}},
        {65537, {65535, 65536}},
        {200003, {0, 65536, 131071, 131072, 199999, 200000, 200002}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size));
        std::string bytes(c.size, '\0');
        for (size_t i = 0; i < c.size; ++i) {
            bytes[i] = static_cast<char>("20260615,予定\r\n"[i % 17] + i / 977);
        }
        const std::optional<uint64_t> hash = FileContentHash(Write("a", bytes));
        ASSERT_TRUE(hash.has_value());
        EXPECT_EQ(FileContentHash(Write("b", bytes)), hash);
        for (size_t at : c.changed) {
            std::string other = bytes;
            other[at] = static_cast<char>(other[at] ^ 0x01);
            EXPECT_NE(FileContentHash(Write("b", other)), hash) << "byte " << at;
        }
        // A zero byte more or one byte fewer, which zero-filled words would not tell.
        EXPECT_NE(FileContentHash(Write("b", bytes + '\0')), hash) << "one more";
        if (c.size > 0) {
            EXPECT_NE(FileContentHash(Write("b", bytes.substr(0, c.size - 1))), hash)
                << "one fewer";
        }
    }
    std::filesystem::remove(Write("a", ""));
    std::filesystem::remove(Write("b", ""));
    EXPECT_EQ(FileContentHash("/nonexistent/kelnova.txt"), std::nullopt);
}

// A save hashes its bytes as it writes them, in pieces of whatever size it composes: any
// split of the same bytes gives the hash of the file that holds them.
TEST(FileContentHash, BytesHashedInPiecesGiveTheFilesHash) {
    std::string bytes(200003, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>("20260615,予定\r\n"[i % 17] + i / 977);
    }
    const struct {
        size_t size;
        std::vector<size_t> pieces;  // sizes in turn, the last one repeated to the end
    } cases[] = {
        {0, {1}},           {31, {31}},
        {33, {1}},          {64, {0, 31, 1}},
        {100, {33, 3, 64}}, {65537, {65536, 1}},
        {200003, {262144}}, {200003, {7, 31, 32, 33, 65535}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size));
        const std::string whole = bytes.substr(0, c.size);
        ContentHasher hasher;
        size_t at = 0;
        for (size_t k = 0; at < whole.size() || k < c.pieces.size(); ++k) {
            const size_t n =
                std::min(c.pieces[std::min(k, c.pieces.size() - 1)], whole.size() - at);
            hasher.Add(std::string_view(whole).substr(at, n));
            at += n;
        }
        EXPECT_EQ(hasher.Finish(), FileContentHash(Write("a", whole)));
    }
    std::filesystem::remove(Write("a", ""));
}

}  // namespace
