#include "IniFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("pemdaro_ini_" + std::to_string(getpid()) + "_" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_path = (m_dir / "kelnova.ini").string();
    }
    void TearDown() override {
        IniClose(0);
        fs::remove_all(m_dir);
    }

    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Load(const std::string& bytes) {
        Write(m_path, bytes);
        IniLoad(m_path.c_str());
    }
    // What the module holds, as it writes it back.
    std::string Rewritten() {
        IniClose(1);
        return Read(m_path);
    }

    fs::path m_dir;
    std::string m_path;
};

struct LookupCase {
    const char* file;
    const char* key;
    const char* defaultValue;
    const char* expected;
};

TEST_F(IniFileTest, LooksUpKeys) {
    const LookupCase cases[] = {
        {"DATA_DIR=D:\\x\r\n", "DATA_DIR", "def", "D:\\x"},
        {"DATA_DIR==D:\\x\r\n", "DATA_DIR", "def", "D:\\x"},
        {"DATA_DIR\tD:\\x\n", "DATA_DIR", "def", "D:\\x"},
        {"DATA_DIR = D:\\x\r\n", "DATA_DIR", "def", "def"},
        {"DATA_DIR = D:\\x\r\n", "DATA_DIR ", "def", " D:\\x"},
        {"DATA_DIR=first\r\nDATA_DIR=second\r\n", "DATA_DIR", "def", "first"},
        {"DATA_DIR=\r\n", "DATA_DIR", "def", ""},
        {"DATA_DIR\r\n", "DATA_DIR", "def", ""},
        {"DATA_DIR=D:\\a=b\r\n", "DATA_DIR", "def", "D:\\a"},
        {"DATA_DIR=D:\\a\tb\r\n", "DATA_DIR", "def", "D:\\a"},
        {"data_dir=x\r\n", "DATA_DIR", "def", "def"},
        {"DATA_DIR=x\r\n", nullptr, "def", ""},
        {"DATA_DIR=x\r\n", "OTHER", nullptr, ""},
        {"#DATA_DIR=x\r\n", "#DATA_DIR", "def", "x"},
        {"A=1\nB=2", "B", "def", "2"},
        {"A=1\r\nB=2\r\n", "A", "def", "1"},
        {"A=1\r2\r\n", "A", "def", "1\r2"},
        {"DIR=\x95\x5C\r\n", "DIR", "def", "\x95\x5C"},  // 表
        {"", "A", "def", "def"},
    };
    for (const LookupCase& c : cases) {
        Load(c.file);
        EXPECT_STREQ(IniGet(c.key, c.defaultValue), c.expected)
            << c.file << " key " << (c.key ? c.key : "(null)");
        IniClose(0);
    }
}

struct RewriteCase {
    std::string file;
    std::string expected;
};

TEST_F(IniFileTest, RewritesEntriesWithCrLf) {
    const RewriteCase cases[] = {
        {"A=1\nA=2\n\nB\n", "A=1\r\nA=2\r\nB=\r\n"},
        {"\r\n\t=\t==\r\n=\r\nA=1\r\n", "A=1\r\n"},
        {"[section]\r\n A = 1 \r\n", "[section]=\r\n A = 1 \r\n"},
        {"K=v=rest\tmore\r\n", "K=v\r\n"},
        // One long line stays one entry; its value is kept to 511 bytes.
        {"K=" + std::string(3000, 'v') + "\r\nB=2\r\n",
         "K=" + std::string(511, 'v') + "\r\nB=2\r\n"},
        {std::string(1500, '=') + "K=v\r\n", "K=v\r\n"},
    };
    for (const RewriteCase& c : cases) {
        Load(c.file);
        EXPECT_EQ(Rewritten(), c.expected) << c.file.substr(0, 40);
    }
}

TEST_F(IniFileTest, CutsLongKeysAndValuesAtCharacterBoundaries) {
    const std::string nichi = "\x93\xFA";  // 日
    std::string cutKey = "KK";
    std::string fullKey = cutKey;
    for (int i = 0; i < 49; ++i) {
        fullKey += nichi;
        if (i < 48) {
            cutKey += nichi;
        }
    }
    std::string value = "ab";
    std::string cutValue = value;
    for (int i = 0; i < 300; ++i) {
        value += nichi;
        if (i < 254) {
            cutValue += nichi;
        }
    }
    const std::string exactKey = "K" + std::string(98, 'x');
    Load(fullKey + "=" + value + "\r\n" + exactKey + "=" + std::string(511, 'w') + "\r\n");
    ASSERT_EQ(cutKey.size(), 98u);
    ASSERT_EQ(cutValue.size(), 510u);
    EXPECT_EQ(IniGet(cutKey.c_str(), "def"), cutValue);
    EXPECT_STREQ(IniGet(fullKey.c_str(), "def"), "def");
    EXPECT_EQ(IniGet(exactKey.c_str(), "def"), std::string(511, 'w'));
}

TEST_F(IniFileTest, SaveFlagMustBeExactlyOne) {
    const std::string original = "A=1\n\n=\nB\tb\tc\n";
    for (int flag : {0, 2, -1}) {
        Load(original);
        IniClose(flag);
        EXPECT_EQ(Read(m_path), original) << flag;
        EXPECT_STREQ(IniGet("A", "def"), "def") << flag;  // entries released
    }
}

TEST_F(IniFileTest, MissingFileGivesDefaults) {
    IniLoad(m_path.c_str());
    EXPECT_STREQ(IniGet("DATA_DIR", "def"), "def");
    IniClose(0);
    EXPECT_FALSE(fs::exists(m_path));
    IniLoad(nullptr);
    EXPECT_STREQ(IniGet("DATA_DIR", nullptr), "");
}

// IniLoad refuses a name it could not keep whole for the rewrite; IniLoadFrom, which never
// rewrites, reads a path of any length (a settings file deep in a home folder).
TEST_F(IniFileTest, RefusesFileNamesLongerThan99Bytes) {
    for (std::size_t length : {99u, 100u, 200u}) {
        const std::string base = (m_dir / "").string();
        ASSERT_LT(base.size() + 4, length);
        const std::string path = base + std::string(length - base.size(), 'n');
        Write(path, "A=1\n");
        IniLoad(path.c_str());
        EXPECT_STREQ(IniGet("A", "def"), length == 99 ? "1" : "def") << length;
        IniClose(1);
        EXPECT_EQ(Read(path), length == 99 ? "A=1\r\n" : "A=1\n") << length;

        Write(path, "A=1\n");
        IniLoadFrom(path);
        EXPECT_STREQ(IniGet("A", "def"), "1") << length;
        IniClose(1);
        EXPECT_EQ(Read(path), "A=1\n") << length << ": never rewritten";
        EXPECT_STREQ(IniGet("A", "def"), "def") << length;
    }
}

TEST_F(IniFileTest, SecondLoadReplacesEntries) {
    Load("A=1\r\n");
    Load("B=2\r\n");
    EXPECT_STREQ(IniGet("A", "def"), "def");
    EXPECT_STREQ(IniGet("B", "def"), "2");
}

}  // namespace
