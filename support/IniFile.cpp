#include "IniFile.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "Cp932.h"

namespace {

// Field sizes of the settings format, terminator excluded.
constexpr std::size_t kMaxKeyBytes = 99;
constexpr std::size_t kMaxValueBytes = 511;
constexpr std::size_t kMaxFileNameBytes = 99;

// Tab, line feed and "=" separate; none of them is ever the second byte of a CP932
// double-byte character (those are 0x40 and above), so splitting byte by byte is safe.
constexpr std::string_view kSeparators{"\t\n=", 3};

struct IniEntry {
    std::string key;
    std::string value;
};

// The module's whole state: the name given to IniLoad (kept for the rewrite) and the
// entries in file order.
struct IniState {
    std::string fileName;
    bool hasFileName = false;
    std::vector<IniEntry> entries;
};

IniState& State() {
    static IniState state;
    return state;
}

// The text cut to at most `limit` bytes, never through the middle of a double-byte
// character.
std::string CutToField(std::string_view text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t width = Cp932IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > text.size()) {
            width = 1;  // a lead byte without its second byte counts alone
        }
        if (end + width > limit) {
            break;
        }
        end += width;
    }
    return std::string(text.substr(0, end));
}

// The next run of non-separator bytes at or after `pos`, skipping separators before it;
// empty when the line has none left. `pos` moves past the run.
std::string_view NextToken(std::string_view line, std::size_t& pos) {
    const std::size_t start = line.find_first_not_of(kSeparators, pos);
    if (start == std::string_view::npos) {
        pos = line.size();
        return {};
    }
    std::size_t end = line.find_first_of(kSeparators, start);
    if (end == std::string_view::npos) {
        end = line.size();
    }
    pos = end;
    return line.substr(start, end - start);
}

// One line without its line end: the first token is the key, the next one the value;
// anything after the value is ignored. A line without a key gives no entry.
void AddEntryFromLine(std::string_view line, std::vector<IniEntry>& entries) {
    // A NUL byte ends the line's text, as it does for any C-string reader of the file.
    line = line.substr(0, line.find('\0'));
    std::size_t pos = 0;
    const std::string_view key = NextToken(line, pos);
    if (key.empty()) {
        return;
    }
    const std::string_view value = NextToken(line, pos);
    entries.push_back({CutToField(key, kMaxKeyBytes), CutToField(value, kMaxValueBytes)});
}

// The entries of the file, in file order; none when it cannot be read. Whole lines of any
// length: a long line is one line, never split into pieces that would each become an
// entry of their own. Lines end with LF or CR LF.
void ReadEntries(const char* fileName, std::vector<IniEntry>& entries) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        return;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        AddEntryFromLine(line, entries);
    }
}

}  // namespace

void IniLoad(const char* fileName) {
    IniClose(0);
    if (fileName == nullptr) {
        return;
    }
    IniState& state = State();
    // A longer name cannot be kept whole, and a cut one would name another file.
    if (std::strlen(fileName) > kMaxFileNameBytes) {
        return;
    }
    state.fileName = fileName;
    state.hasFileName = true;
    ReadEntries(fileName, state.entries);
}

void IniLoadFrom(const std::string& path) {
    IniClose(0);
    ReadEntries(path.c_str(), State().entries);
}

const char* IniGet(const char* key, const char* defaultValue) {
    if (key == nullptr) {
        return "";
    }
    for (const IniEntry& entry : State().entries) {
        if (entry.key == key) {
            return entry.value.c_str();
        }
    }
    return defaultValue != nullptr ? defaultValue : "";
}

void IniClose(int save) {
    IniState& state = State();
    if (save == 1 && state.hasFileName) {
        // A file that cannot be written is left as it is, without a report.
        if (std::FILE* out = std::fopen(state.fileName.c_str(), "wb")) {
            for (const IniEntry& entry : state.entries) {
                std::fprintf(out, "%s=%s\r\n", entry.key.c_str(), entry.value.c_str());
            }
            std::fclose(out);
        }
    }
    state = IniState{};
}
