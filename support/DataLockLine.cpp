// The lock line and the names in it, the same on every system.
#include <climits>

#include "DataLock.h"

namespace {

// The most characters of a name read from the file that are shown.
const size_t kMaxShown = 64;

}  // namespace

std::string CDataLock::Token(std::string text) {
    if (text.empty()) {
        return "?";
    }
    for (char& c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F || c == '=') {
            c = '_';
        }
    }
    return text;
}

bool CDataLock::ParseLine(const std::string& text, DataLockHolder& holder) {
    std::string line = text;
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
    }
    const char* keys[] = {"host=", "user=", "pid="};
    std::string values[3];
    size_t at = 0;
    for (int k = 0; k < 3; ++k) {
        const std::string key = keys[k];
        if (line.compare(at, key.size(), key) != 0) {
            return false;
        }
        at += key.size();
        const size_t end = k < 2 ? line.find(' ', at) : line.size();
        if (end == std::string::npos || end == at) {
            return false;
        }
        values[k] = line.substr(at, end - at);
        at = end + 1;
    }
    for (const std::string& value : values) {
        for (char c : value) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (u <= 0x20 || u == 0x7F || c == '=') {
                return false;
            }
        }
    }
    // A process id the kernel can have: never 0 or negative, which kill() would take as
    // a process group or every process.
    if (values[2].size() > 10 || values[2].find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const long long pid = std::stoll(values[2]);
    if (pid <= 0 || pid > INT_MAX) {
        return false;
    }
    holder.host = values[0];
    holder.user = values[1];
    holder.pid = static_cast<long>(pid);
    return true;
}

std::string CDataLock::Printable(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (shown.size() == kMaxShown) {
            shown += "...";
            break;
        }
        const unsigned char u = static_cast<unsigned char>(c);
        shown += u >= 0x20 && u < 0x7F ? c : '?';
    }
    return shown;
}
