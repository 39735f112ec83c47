// Fuzz target: reading the settings file. The input is the whole file.
//
// Properties:
// - every key the file holds, and every run of bytes between separators in the input, is
//   looked up without fault, and a value found is at most 511 bytes (its 512-byte field);
// - IniClose(1) writes one "key=value" line per entry, with a key of 1 to 99 bytes and a
//   value of at most 511, and those entries are what the loaded file answered;
// - loading what IniClose(1) wrote answers every key with the same value, writing that
//   again gives the same bytes, and IniClose(0) never touches the file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "IniFile.h"

namespace {

using fuzz::Check;
using fuzz::Escaped;

constexpr std::size_t kMaxKeyBytes = 99;
constexpr std::size_t kMaxValueBytes = 511;

std::filesystem::path g_folder;
std::string g_path;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

using Entries = std::vector<std::pair<std::string, std::string>>;

// The entries of a file that IniClose(1) wrote: "key=value" lines, each ending in CR LF.
Entries WrittenEntries(const std::string& file) {
    Entries entries;
    std::size_t pos = 0;
    while (pos < file.size()) {
        const std::size_t end = file.find("\r\n", pos);
        Check(end != std::string::npos, "every written line ends with CR LF",
              [&] { return "written " + Escaped(file); });
        const std::string line = file.substr(pos, end - pos);
        const std::size_t eq = line.find('=');
        Check(eq != std::string::npos, "every written line holds \"=\"",
              [&] { return "line " + Escaped(line); });
        entries.emplace_back(line.substr(0, eq), line.substr(eq + 1));
        pos = end + 2;
    }
    return entries;
}

// Runs of bytes between the separators tab, line feed, CR, "=" and NUL: every key the
// file could hold, and more.
std::vector<std::string> Tokens(std::string_view input) {
    std::vector<std::string> tokens;
    std::string current;
    for (char c : input) {
        if (c == '\t' || c == '\n' || c == '\r' || c == '=' || c == '\0') {
            if (!current.empty()) {
                tokens.push_back(std::move(current));
                current.clear();
            }
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        tokens.push_back(std::move(current));
    }
    return tokens;
}

// The value of the first entry with each key, as the look-up must answer it.
bool FirstOccurrence(const Entries& entries, std::size_t index) {
    for (std::size_t i = 0; i < index; ++i) {
        if (entries[i].first == entries[index].first) {
            return false;
        }
    }
    return true;
}

void CheckAnswers(const Entries& entries, const char* property) {
    // Told apart from any value by its address.
    static const char kDefault[] = "(default)";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!FirstOccurrence(entries, i)) {
            continue;
        }
        const char* value = IniGet(entries[i].first.c_str(), kDefault);
        Check(value != kDefault && entries[i].second == value, property,
              [&] { return "key " + Escaped(entries[i].first); });
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_folder = std::filesystem::temp_directory_path() /
               ("pemdaro-fuzz-settings-" + std::to_string(::getpid()));
    std::filesystem::create_directories(g_folder);
    g_path = (g_folder / "kelnova.ini").string();
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    fuzz::CurrentInput() = input;

    // What the file answers, and what it writes back.
    WriteFile(g_path, input);
    IniLoad(g_path.c_str());
    for (const std::string& token : Tokens(input)) {
        const char* value = IniGet(token.c_str(), nullptr);
        Check(value != nullptr && std::strlen(value) <= kMaxValueBytes,
              "a value fits its 512-byte field", [&] { return "key " + Escaped(token); });
    }
    IniClose(1);
    const std::string written = ReadFile(g_path);
    const Entries entries = WrittenEntries(written);
    for (const auto& entry : entries) {
        const std::string& key = entry.first;
        const std::string& value = entry.second;
        Check(!key.empty() && key.size() <= kMaxKeyBytes, "a written key fits its field",
              [&] { return "key " + Escaped(key); });
        Check(value.size() <= kMaxValueBytes, "a written value fits its field",
              [&] { return "value " + Escaped(value); });
    }

    // The entries written are the ones the original file answers; closing without saving
    // leaves the file as it is.
    WriteFile(g_path, input);
    IniLoad(g_path.c_str());
    CheckAnswers(entries, "the loaded file answers what IniClose(1) wrote");
    IniClose(0);
    Check(ReadFile(g_path) == input, "IniClose(0) leaves the file untouched");

    // The written file loads to the same entries and writes the same bytes.
    WriteFile(g_path, written);
    IniLoad(g_path.c_str());
    CheckAnswers(entries, "the rewritten file answers the same values");
    IniClose(1);
    Check(ReadFile(g_path) == written, "a second rewrite gives the same bytes",
          [&] { return "written " + Escaped(written); });
    return 0;
}
