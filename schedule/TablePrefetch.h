// The table file read while the rest of the program starts: the read, the CR handling, the
// split into rows and the index, all as the model's open does them, on a thread of its
// own, into a table apart from the store's registry. The model's next open
// (CScheduleModel::Open with this object) takes those rows over only when they are
// certainly the file's as it is then: the same path, read whole, the file's stamp and
// status change time unchanged since just before the read, and the file left alone long
// enough before that read for its stamp to show every change (CScheduleModel::kSettledNs).
// Otherwise the rows are dropped and the open reads the file itself.
//
// The thread never outlives the object: the open waits for it, Cancel stops it between
// blocks of the read, and the destructor cancels and waits.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "FileStamp.h"

struct DbPrefetchedTable;

class CTablePrefetch {
  public:
    CTablePrefetch();
    ~CTablePrefetch();
    CTablePrefetch(const CTablePrefetch&) = delete;
    CTablePrefetch& operator=(const CTablePrefetch&) = delete;

    // Stamps the schedule's table file in the folder (file system encoding, ending with
    // the separator, or empty for the current folder) and starts reading it. Creates,
    // removes and shows nothing. A read begun before is cancelled first.
    void Start(const std::string& dataFolder);
    // The rows are no longer wanted: the read stops at its next block, the thread is
    // joined and nothing read is kept.
    void Cancel();
    // Whether a read was started and has not been taken or cancelled.
    bool Pending() const { return m_read != nullptr; }

  private:
    friend class CScheduleModel;

    // What the thread fills; the stamp is taken before the thread starts.
    struct Read;

    // Waits for the read and hands it over (null when none is pending). The path read,
    // the stamp and status change time before the read, and the time since then are in
    // it for the model to judge.
    std::unique_ptr<Read> Finish();

    std::unique_ptr<Read> m_read;
    std::atomic<bool> m_cancel{false};
    std::thread m_thread;
};

// What one read ahead found (see CTablePrefetch).
struct CTablePrefetch::Read {
    std::string path;
    FileStamp stamp;              // just before the read
    int64_t statusChangedNs = 0;  // likewise
    std::chrono::steady_clock::time_point stampedAt;
    std::unique_ptr<DbPrefetchedTable> table;
    bool ok = false;  // the whole file was read into `table`

    Read();
    ~Read();
};
