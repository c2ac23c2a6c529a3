#pragma once
// The valve library: every measurement kept with its valve, in one SQLite file.
//
// One Library object is one connection. Every write is one transaction, the file is in WAL
// mode and waits up to a busy time-out for another program's lock, so the console's window
// and the command line can use the same file at once. The schema carries its version and is
// brought up to date, step by step, when an older file is opened.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "library/record.h"

struct sqlite3;

namespace ostrino::library {

// The schema version this program writes; files of a higher version are refused.
inline constexpr int kSchemaVersion = 2;

struct OpenOptions {
    bool createIfMissing = true;  // false: a missing file is an error
    int busyTimeoutMs = 5000;     // how long to wait for another program's lock
};

struct RecordFilter {
    std::string valveType;      // empty: every type; otherwise equal, ignoring case
    std::string labelContains;  // empty: every label; otherwise a part of it, ignoring case
    std::optional<std::chrono::sys_seconds> from;  // measured at or after
    std::optional<std::chrono::sys_seconds> to;    // measured at or before
};

enum class SortKey { Date, Type, Label, Id };

struct RecordOrder {
    SortKey key = SortKey::Date;
    bool descending = false;
};

class Library {
  public:
    // $XDG_DATA_HOME/ostrino/library.sqlite, or ~/.local/share/ostrino/library.sqlite when
    // XDG_DATA_HOME is not set (or not an absolute path). Empty when neither HOME nor
    // XDG_DATA_HOME tells where that is.
    static std::filesystem::path defaultPath();

    // Opens (and on first use creates, with its folders) the library file.
    static LibraryResult<Library> open(const std::filesystem::path& file,
                                       const OpenOptions& options = {});

    Library(Library&&) noexcept = default;
    Library& operator=(Library&&) noexcept = default;
    ~Library() = default;

    const std::filesystem::path& path() const { return path_; }

    // Stores a record and returns its id.
    LibraryResult<std::int64_t> add(const LibraryRecord& record);
    LibraryResult<StoredRecord> get(std::int64_t id);
    LibraryResult<std::vector<RecordSummary>> list(const RecordFilter& filter = {},
                                                   const RecordOrder& order = {});
    // Whole records (with points) that pass the filter, oldest first.
    LibraryResult<std::vector<StoredRecord>> records(const RecordFilter& filter);
    LibraryStatus remove(std::int64_t id);

    // Writes the points of the records with these ids as CSV (see pointsCsv).
    LibraryStatus exportCsv(const std::vector<std::int64_t>& ids,
                            const std::filesystem::path& csvFile);

  private:
    struct CloseConnection {
        void operator()(sqlite3* db) const;
    };

    Library(std::unique_ptr<sqlite3, CloseConnection> db, std::filesystem::path path);

    LibraryError errorFrom(int code, const std::string& doing) const;
    LibraryStatus execute(const char* sql, const std::string& doing);
    LibraryStatus prepareSchema();
    LibraryStatus migrate(int from);
    LibraryResult<std::vector<std::int64_t>> matchingIds(const RecordFilter& filter,
                                                         const RecordOrder& order);
    LibraryResult<StoredRecord> readRecord(std::int64_t id);

    std::unique_ptr<sqlite3, CloseConnection> db_;
    std::filesystem::path path_;
};

// The points of the records, one CSV row each: record id, date (UTC), type, label, then the
// curve number, Ia, Is (mA), Vh, Vg, Vs, Va (V). A header line first; numbers always with a
// '.' decimal point; lines end in CR LF.
std::string pointsCsv(const std::vector<StoredRecord>& records);

}  // namespace ostrino::library
