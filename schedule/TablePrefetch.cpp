#include "TablePrefetch.h"

#include <system_error>

#include "Schedule.h"
#include "XelDatabase.h"

CTablePrefetch::Read::Read() : table(std::make_unique<DbPrefetchedTable>()) {}
CTablePrefetch::Read::~Read() = default;

CTablePrefetch::CTablePrefetch() = default;

CTablePrefetch::~CTablePrefetch() {
    Cancel();
}

void CTablePrefetch::Start(const std::string& dataFolder) {
    Cancel();
    auto read = std::make_unique<Read>();
    DbPrepareRead(*read->table, kScheduleTable, dataFolder);
    read->path = read->table->path;
    // Stamped before the first byte is read: a change during the read moves the stamp or
    // the status change time away from this.
    read->stamp = FileStampOf(read->path, &read->statusChangedNs);
    read->stampedAt = std::chrono::steady_clock::now();
    m_cancel.store(false);
    Read* const into = read.get();
    m_read = std::move(read);
    try {
        m_thread = std::thread([this, into] {
            // Nothing may leave the thread; a read that failed in any way is dropped.
            try {
                into->ok = DbReadTableFile(*into->table, &m_cancel);
            } catch (...) {
                into->ok = false;
            }
        });
    } catch (const std::system_error&) {
        m_read.reset();  // no thread to be had: the open reads the file itself
    }
}

void CTablePrefetch::Cancel() {
    m_cancel.store(true);
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_read.reset();
}

std::unique_ptr<CTablePrefetch::Read> CTablePrefetch::Finish() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return std::move(m_read);
}
