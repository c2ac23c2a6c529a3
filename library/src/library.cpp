#include "library/library.h"

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <set>
#include <utility>

#include "common/text_file.h"
#include "sqlite_statement.h"
#include "text_forms.h"

namespace ostrino::library {

namespace {

// The first schema: records and their points. Times are seconds since 1970-01-01 UTC; the
// ten calibration factors are one text of numbers separated by blanks.
constexpr const char* kSchemaVersion1 = R"sql(
CREATE TABLE schema_version (version INTEGER NOT NULL);
INSERT INTO schema_version (version) VALUES (1);
CREATE TABLE records (
    id INTEGER PRIMARY KEY,
    measured_at INTEGER NOT NULL,
    valve_type TEXT NOT NULL COLLATE NOCASE,
    label TEXT NOT NULL COLLATE NOCASE,
    note TEXT NOT NULL DEFAULT '',
    console TEXT NOT NULL DEFAULT '',
    instrument_version INTEGER NOT NULL,
    calibration TEXT NOT NULL,
    setup TEXT NOT NULL
);
CREATE TABLE points (
    record_id INTEGER NOT NULL REFERENCES records (id) ON DELETE CASCADE,
    seq INTEGER NOT NULL,
    curve REAL NOT NULL,
    ia REAL NOT NULL,
    is_ REAL NOT NULL,
    vh REAL NOT NULL,
    vg REAL NOT NULL,
    vs REAL NOT NULL,
    va REAL NOT NULL,
    PRIMARY KEY (record_id, seq)
) WITHOUT ROWID;
)sql";

// Version 2: quick-test results and fitted models. The setup text moves to a table of its
// own and the record keeps its number of points, so that a listing reads only small rows
// (a long text in the row would be walked through on every row).
constexpr const char* kToVersion2 = R"sql(
ALTER TABLE records ADD COLUMN point_count INTEGER NOT NULL DEFAULT 0;
UPDATE records SET point_count = (SELECT count(*) FROM points WHERE points.record_id = records.id);
CREATE TABLE setups (
    record_id INTEGER PRIMARY KEY REFERENCES records (id) ON DELETE CASCADE,
    setup TEXT NOT NULL
);
INSERT INTO setups (record_id, setup) SELECT id, setup FROM records;
ALTER TABLE records DROP COLUMN setup;
CREATE TABLE models (
    record_id INTEGER PRIMARY KEY REFERENCES records (id) ON DELETE CASCADE,
    model_json TEXT NOT NULL
);
CREATE TABLE quick_test_values (
    record_id INTEGER NOT NULL REFERENCES records (id) ON DELETE CASCADE,
    seq INTEGER NOT NULL,
    section INTEGER NOT NULL,
    name TEXT NOT NULL,
    value REAL NOT NULL,
    PRIMARY KEY (record_id, seq),
    UNIQUE (record_id, section, name)
) WITHOUT ROWID;
CREATE INDEX records_by_type ON records (valve_type, measured_at);
CREATE INDEX records_by_date ON records (measured_at);
UPDATE schema_version SET version = 2;
)sql";

// kMigrations[v] brings a file from version v to v + 1.
constexpr const char* kMigrations[kSchemaVersion] = {kSchemaVersion1, kToVersion2};

std::string quoted(const std::filesystem::path& p) {
    return "\"" + p.string() + "\"";
}

std::string calibrationText(const std::array<double, 10>& factors) {
    std::string text;
    for (const double f : factors) {
        if (!text.empty()) {
            text += ' ';
        }
        text += shortestNumber(f);
    }
    return text;
}

std::optional<std::array<double, 10>> readCalibration(const std::string& text) {
    std::array<double, 10> factors{};
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (double& f : factors) {
        while (p < end && *p == ' ') {
            ++p;
        }
        const auto result = std::from_chars(p, end, f);
        if (result.ec != std::errc()) {
            return std::nullopt;
        }
        p = result.ptr;
    }
    while (p < end && *p == ' ') {
        ++p;
    }
    if (p != end) {
        return std::nullopt;
    }
    return factors;
}

bool blank(const std::string& s) {
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Why a record cannot be stored as it is; empty when it can.
std::string whyUnstorable(const LibraryRecord& r) {
    if (blank(r.valveType)) {
        return "A record needs a valve type.";
    }
    if (blank(r.label)) {
        return "A record needs a label (a serial number or box position).";
    }
    for (const double f : r.calibration) {
        if (!std::isfinite(f)) {
            return "The calibration factors of the record are not all numbers.";
        }
    }
    for (std::size_t i = 0; i < r.points.size(); ++i) {
        const MeasuredPoint& p = r.points[i];
        for (const double v : {p.curve, p.ia, p.is, p.vh, p.vg, p.vs, p.va}) {
            if (!std::isfinite(v)) {
                return "Point " + std::to_string(i + 1) + " of the record is not a number.";
            }
        }
    }
    std::set<std::pair<int, std::string>> seen;
    for (const QuickTestValue& q : r.quickTest) {
        if (blank(q.name) || q.section < 1 || !std::isfinite(q.value)) {
            return "A quick-test result of the record has no name, no section or no value.";
        }
        if (!seen.insert({q.section, q.name}).second) {
            return "The quick-test result \"" + q.name + "\" of section " +
                   std::to_string(q.section) + " is given twice.";
        }
    }
    return {};
}

// A transaction that rolls back unless it was committed.
class Transaction {
  public:
    explicit Transaction(sqlite3* db) : db_(db) {}
    ~Transaction() {
        if (open_) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // A write takes the write lock at once (IMMEDIATE), so that two writers queue up on the
    // busy time-out instead of one of them failing half-way through.
    int begin(bool write) {
        const int rc =
            sqlite3_exec(db_, write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr);
        open_ = rc == SQLITE_OK;
        return rc;
    }
    int commit() {
        const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            open_ = false;
        }
        return rc;
    }

  private:
    sqlite3* db_;
    bool open_ = false;
};

}  // namespace

void Library::CloseConnection::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

Library::Library(std::unique_ptr<sqlite3, CloseConnection> db, std::filesystem::path path)
    : db_(std::move(db)), path_(std::move(path)) {}

std::filesystem::path Library::defaultPath() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && std::filesystem::path(xdg).is_absolute()) {
        return std::filesystem::path(xdg) / "ostrino" / "library.sqlite";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return std::filesystem::path(home) / ".local" / "share" / "ostrino" / "library.sqlite";
    }
    return {};
}

LibraryResult<Library> Library::open(const std::filesystem::path& file,
                                     const OpenOptions& options) {
    namespace fs = std::filesystem;
    if (file.empty()) {
        return LibraryError{LibraryFault::CannotOpen,
                            "There is no place for the valve library: neither XDG_DATA_HOME "
                            "nor HOME is set."};
    }
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (fs::is_directory(status)) {
        return LibraryError{LibraryFault::CannotOpen,
                            "The library file " + quoted(file) + " is a folder."};
    }
    if (!fs::exists(status)) {
        if (!options.createIfMissing) {
            return LibraryError{LibraryFault::CannotOpen,
                                "There is no valve library at " + quoted(file) + "."};
        }
        if (file.has_parent_path()) {
            fs::create_directories(file.parent_path(), ec);
            if (ec) {
                return LibraryError{LibraryFault::CannotOpen,
                                    "Cannot create the folder " + quoted(file.parent_path()) +
                                        " for the valve library: " + ec.message() + "."};
            }
        }
    }

    sqlite3* raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (options.createIfMissing ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
    std::unique_ptr<sqlite3, CloseConnection> db(raw);
    if (rc != SQLITE_OK) {
        return LibraryError{LibraryFault::CannotOpen,
                            "Cannot open the library file " + quoted(file) + ": " +
                                (raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)) + "."};
    }
    sqlite3_busy_timeout(raw, options.busyTimeoutMs);

    Library library(std::move(db), file);
    LibraryStatus prepared = library.prepareSchema();
    if (!prepared) {
        return prepared.error();
    }
    return library;
}

LibraryError Library::errorFrom(int code, const std::string& doing) const {
    const std::string file = quoted(path_);
    switch (code & 0xFF) {
        case SQLITE_NOTADB:
            return {LibraryFault::NotADatabase, "The file " + file +
                                                    " is not a valve library (not an SQLite "
                                                    "database); it was left as it is."};
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return {LibraryFault::Locked, "The library file " + file +
                                              " is locked by another program; nothing was " +
                                              doing + ". Try again when it is free."};
        case SQLITE_CORRUPT:
            return {LibraryFault::Damaged, "The library file " + file + " is damaged (" +
                                               sqlite3_errmsg(db_.get()) + ")."};
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_FULL:
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
            return {LibraryFault::StorageFailed,
                    "The library file " + file + " cannot be used: " + sqlite3_errmsg(db_.get()) +
                        "; nothing was " + doing + "."};
        default:
            return {LibraryFault::Damaged, "The library file " + file +
                                               " cannot be used: " + sqlite3_errmsg(db_.get()) +
                                               "; nothing was " + doing + "."};
    }
}

LibraryStatus Library::execute(const char* sql, const std::string& doing) {
    const int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        return errorFrom(rc, doing);
    }
    return std::monostate{};
}

LibraryStatus Library::prepareSchema() {
    sqlite3* db = db_.get();
    const std::string file = quoted(path_);

    // What the file holds: nothing yet (a new library), a library, or something else. This
    // is the first read of the file.
    auto inspect = [&](int& tables, bool& versioned) -> LibraryStatus {
        Statement s(db,
                    "SELECT count(*), coalesce(sum(name = 'schema_version'), 0) "
                    "FROM sqlite_master WHERE type = 'table'");
        int rc = s.prepareCode();
        if (rc == SQLITE_OK) {
            rc = s.step();
        }
        if (rc != SQLITE_ROW) {
            return errorFrom(rc, "read");
        }
        tables = static_cast<int>(s.intAt(0));
        versioned = s.intAt(1) != 0;
        return std::monostate{};
    };
    auto readVersion = [&](int& version) -> LibraryStatus {
        Statement s(db, "SELECT version FROM schema_version");
        int rc = s.prepareCode();
        int rows = 0;
        while (rc == SQLITE_OK && (rc = s.step()) == SQLITE_ROW) {
            version = static_cast<int>(s.intAt(0));
            ++rows;
            rc = SQLITE_OK;
        }
        if (rc != SQLITE_DONE) {
            return errorFrom(rc, "read");
        }
        if (rows != 1 || version < 1) {
            return LibraryError{
                LibraryFault::Damaged,
                "The library file " + file + " is damaged (its schema version cannot be read)."};
        }
        return std::monostate{};
    };

    int tables = 0;
    bool versioned = false;
    if (LibraryStatus s = inspect(tables, versioned); !s) {
        return s;
    }
    if (tables > 0 && !versioned) {
        return LibraryError{LibraryFault::NotALibrary,
                            "The file " + file +
                                " is an SQLite database of some other program, not a valve "
                                "library; it was left as it is."};
    }
    int version = 0;
    if (versioned) {
        if (LibraryStatus s = readVersion(version); !s) {
            return s;
        }
        if (version > kSchemaVersion) {
            return LibraryError{LibraryFault::TooNew, "The library file " + file +
                                                          " was written by a newer program "
                                                          "(library version " +
                                                          std::to_string(version) +
                                                          "; this program knows up to version " +
                                                          std::to_string(kSchemaVersion) +
                                                          "); it was left as it is."};
        }
    }

    // Only our own files get here. WAL lets the window read while the command line writes.
    {
        Statement wal(db, "PRAGMA journal_mode = WAL");
        int rc = wal.prepareCode();
        if (rc == SQLITE_OK) {
            rc = wal.step();
        }
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            return errorFrom(rc, "read");
        }
    }
    if (LibraryStatus s = execute("PRAGMA foreign_keys = ON", "read"); !s) {
        return s;
    }
    if (versioned && version == kSchemaVersion) {
        return std::monostate{};
    }

    // Create or bring up to date in one transaction; another program may have done it while
    // we waited for the lock, so look again once we hold it.
    Transaction tx(db);
    if (const int rc = tx.begin(true); rc != SQLITE_OK) {
        return errorFrom(rc, "changed");
    }
    if (LibraryStatus s = inspect(tables, versioned); !s) {
        return s;
    }
    if (tables > 0 && !versioned) {
        return LibraryError{LibraryFault::NotALibrary,
                            "The file " + file +
                                " is an SQLite database of some other program, not a valve "
                                "library; it was left as it is."};
    }
    version = 0;
    if (versioned) {
        if (LibraryStatus s = readVersion(version); !s) {
            return s;
        }
    }
    if (LibraryStatus s = migrate(version); !s) {
        return s;
    }
    if (const int rc = tx.commit(); rc != SQLITE_OK) {
        return errorFrom(rc, "changed");
    }
    return std::monostate{};
}

LibraryStatus Library::migrate(int from) {
    for (int v = from; v < kSchemaVersion; ++v) {
        if (LibraryStatus s = execute(kMigrations[v], "changed"); !s) {
            return s;
        }
    }
    return std::monostate{};
}

LibraryResult<std::int64_t> Library::add(const LibraryRecord& r) {
    if (const std::string why = whyUnstorable(r); !why.empty()) {
        return LibraryError{LibraryFault::InvalidRecord, why + " Nothing was stored."};
    }
    sqlite3* db = db_.get();
    const std::string doing = "stored";
    Transaction tx(db);
    if (const int rc = tx.begin(true); rc != SQLITE_OK) {
        return errorFrom(rc, doing);
    }

    Statement record(db,
                     "INSERT INTO records (measured_at, valve_type, label, note, console, "
                     "instrument_version, calibration, point_count) "
                     "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    if (record.prepareCode() != SQLITE_OK) {
        return errorFrom(record.prepareCode(), doing);
    }
    record.bind(1, static_cast<std::int64_t>(r.when.time_since_epoch().count()));
    record.bind(2, std::string_view(r.valveType));
    record.bind(3, std::string_view(r.label));
    record.bind(4, std::string_view(r.note));
    record.bind(5, std::string_view(r.console));
    record.bind(6, r.instrumentVersion);
    record.bind(7, std::string_view(calibrationText(r.calibration)));
    record.bind(8, static_cast<std::int64_t>(r.points.size()));
    if (const int rc = record.step(); rc != SQLITE_DONE) {
        return errorFrom(rc, doing);
    }
    const std::int64_t id = sqlite3_last_insert_rowid(db);

    // The setup, and the model when there is one.
    std::vector<std::pair<const char*, const std::string*>> texts{
        {"INSERT INTO setups (record_id, setup) VALUES (?1, ?2)", &r.setupText}};
    if (r.modelJson) {
        texts.push_back(
            {"INSERT INTO models (record_id, model_json) VALUES (?1, ?2)", &*r.modelJson});
    }
    for (const auto& [sql, text] : texts) {
        Statement s(db, sql);
        if (s.prepareCode() != SQLITE_OK) {
            return errorFrom(s.prepareCode(), doing);
        }
        s.bind(1, id);
        s.bind(2, std::string_view(*text));
        if (const int rc = s.step(); rc != SQLITE_DONE) {
            return errorFrom(rc, doing);
        }
    }

    Statement point(db,
                    "INSERT INTO points (record_id, seq, curve, ia, is_, vh, vg, vs, va) "
                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    if (point.prepareCode() != SQLITE_OK) {
        return errorFrom(point.prepareCode(), doing);
    }
    for (std::size_t i = 0; i < r.points.size(); ++i) {
        const MeasuredPoint& p = r.points[i];
        point.bind(1, id);
        point.bind(2, static_cast<std::int64_t>(i));
        point.bind(3, p.curve);
        point.bind(4, p.ia);
        point.bind(5, p.is);
        point.bind(6, p.vh);
        point.bind(7, p.vg);
        point.bind(8, p.vs);
        point.bind(9, p.va);
        if (const int rc = point.step(); rc != SQLITE_DONE) {
            return errorFrom(rc, doing);
        }
        point.reset();
    }

    Statement quick(db,
                    "INSERT INTO quick_test_values (record_id, seq, section, name, value) "
                    "VALUES (?1, ?2, ?3, ?4, ?5)");
    if (quick.prepareCode() != SQLITE_OK) {
        return errorFrom(quick.prepareCode(), doing);
    }
    for (std::size_t i = 0; i < r.quickTest.size(); ++i) {
        const QuickTestValue& q = r.quickTest[i];
        quick.bind(1, id);
        quick.bind(2, static_cast<std::int64_t>(i));
        quick.bind(3, q.section);
        quick.bind(4, std::string_view(q.name));
        quick.bind(5, q.value);
        if (const int rc = quick.step(); rc != SQLITE_DONE) {
            return errorFrom(rc, doing);
        }
        quick.reset();
    }

    if (const int rc = tx.commit(); rc != SQLITE_OK) {
        return errorFrom(rc, doing);
    }
    return id;
}

LibraryResult<StoredRecord> Library::readRecord(std::int64_t id) {
    sqlite3* db = db_.get();
    const std::string doing = "read";
    StoredRecord stored;
    stored.id = id;
    LibraryRecord& r = stored.record;

    Statement record(db,
                     "SELECT r.measured_at, r.valve_type, r.label, r.note, r.console, "
                     "r.instrument_version, r.calibration, s.setup, m.model_json FROM records r "
                     "LEFT JOIN setups s ON s.record_id = r.id "
                     "LEFT JOIN models m ON m.record_id = r.id WHERE r.id = ?1");
    if (record.prepareCode() != SQLITE_OK) {
        return errorFrom(record.prepareCode(), doing);
    }
    record.bind(1, id);
    const int rc = record.step();
    if (rc == SQLITE_DONE) {
        return LibraryError{LibraryFault::NoSuchRecord,
                            "There is no record " + std::to_string(id) + " in the library."};
    }
    if (rc != SQLITE_ROW) {
        return errorFrom(rc, doing);
    }
    r.when = std::chrono::sys_seconds(std::chrono::seconds(record.intAt(0)));
    r.valveType = record.textAt(1);
    r.label = record.textAt(2);
    r.note = record.textAt(3);
    r.console = record.textAt(4);
    r.instrumentVersion = static_cast<int>(record.intAt(5));
    const std::optional<std::array<double, 10>> factors = readCalibration(record.textAt(6));
    if (!factors) {
        return LibraryError{LibraryFault::Damaged,
                            "Record " + std::to_string(id) +
                                " of the library is damaged (its calibration factors cannot "
                                "be read)."};
    }
    r.calibration = *factors;
    r.setupText = record.textAt(7);
    if (!record.isNull(8)) {
        r.modelJson = record.textAt(8);
    }

    Statement points(db,
                     "SELECT curve, ia, is_, vh, vg, vs, va FROM points WHERE record_id = ?1 "
                     "ORDER BY seq");
    if (points.prepareCode() != SQLITE_OK) {
        return errorFrom(points.prepareCode(), doing);
    }
    points.bind(1, id);
    int prc = SQLITE_OK;
    while ((prc = points.step()) == SQLITE_ROW) {
        r.points.push_back({points.doubleAt(0), points.doubleAt(1), points.doubleAt(2),
                            points.doubleAt(3), points.doubleAt(4), points.doubleAt(5),
                            points.doubleAt(6)});
    }
    if (prc != SQLITE_DONE) {
        return errorFrom(prc, doing);
    }

    Statement quick(db,
                    "SELECT section, name, value FROM quick_test_values WHERE record_id = ?1 "
                    "ORDER BY seq");
    if (quick.prepareCode() != SQLITE_OK) {
        return errorFrom(quick.prepareCode(), doing);
    }
    quick.bind(1, id);
    while ((prc = quick.step()) == SQLITE_ROW) {
        r.quickTest.push_back(
            {static_cast<int>(quick.intAt(0)), quick.textAt(1), quick.doubleAt(2)});
    }
    if (prc != SQLITE_DONE) {
        return errorFrom(prc, doing);
    }
    return stored;
}

LibraryResult<StoredRecord> Library::get(std::int64_t id) {
    Transaction tx(db_.get());
    if (const int rc = tx.begin(false); rc != SQLITE_OK) {
        return errorFrom(rc, "read");
    }
    LibraryResult<StoredRecord> result = readRecord(id);
    if (result) {
        if (const int rc = tx.commit(); rc != SQLITE_OK) {
            return errorFrom(rc, "read");
        }
    }
    return result;
}

namespace {

// The WHERE and ORDER BY of a listing. The parameters are ?1 type, ?2 label pattern,
// ?3 from and ?4 to.
std::string whereAndOrder(const RecordFilter& filter, const RecordOrder& order) {
    std::string sql = " WHERE 1";
    if (!filter.valveType.empty()) {
        sql += " AND r.valve_type = ?1";
    }
    if (!filter.labelContains.empty()) {
        sql += " AND r.label LIKE ?2 ESCAPE '\\'";
    }
    if (filter.from) {
        sql += " AND r.measured_at >= ?3";
    }
    if (filter.to) {
        sql += " AND r.measured_at <= ?4";
    }
    const char* direction = order.descending ? " DESC" : " ASC";
    sql += " ORDER BY ";
    switch (order.key) {
        case SortKey::Date:
            sql += std::string("r.measured_at") + direction + ", ";
            break;
        case SortKey::Type:
            sql += std::string("r.valve_type") + direction + ", r.measured_at" + direction + ", ";
            break;
        case SortKey::Label:
            sql += std::string("r.label") + direction + ", ";
            break;
        case SortKey::Id:
            break;
    }
    sql += std::string("r.id") + direction;
    return sql;
}

void bindFilter(Statement& s, const RecordFilter& filter) {
    if (!filter.valveType.empty()) {
        s.bind(1, std::string_view(filter.valveType));
    }
    if (!filter.labelContains.empty()) {
        std::string pattern = "%";
        for (const char c : filter.labelContains) {
            if (c == '%' || c == '_' || c == '\\') {
                pattern += '\\';
            }
            pattern += c;
        }
        pattern += '%';
        s.bind(2, std::string_view(pattern));
    }
    if (filter.from) {
        s.bind(3, static_cast<std::int64_t>(filter.from->time_since_epoch().count()));
    }
    if (filter.to) {
        s.bind(4, static_cast<std::int64_t>(filter.to->time_since_epoch().count()));
    }
}

}  // namespace

LibraryResult<std::vector<RecordSummary>> Library::list(const RecordFilter& filter,
                                                        const RecordOrder& order) {
    const std::string sql =
        "SELECT r.id, r.measured_at, r.valve_type, r.label, r.note, r.point_count, "
        "EXISTS (SELECT 1 FROM quick_test_values q WHERE q.record_id = r.id), "
        "EXISTS (SELECT 1 FROM models m WHERE m.record_id = r.id) FROM records r" +
        whereAndOrder(filter, order);
    Statement s(db_.get(), sql.c_str());
    if (s.prepareCode() != SQLITE_OK) {
        return errorFrom(s.prepareCode(), "read");
    }
    bindFilter(s, filter);
    std::vector<RecordSummary> rows;
    int rc = SQLITE_OK;
    while ((rc = s.step()) == SQLITE_ROW) {
        RecordSummary row;
        row.id = s.intAt(0);
        row.when = std::chrono::sys_seconds(std::chrono::seconds(s.intAt(1)));
        row.valveType = s.textAt(2);
        row.label = s.textAt(3);
        row.note = s.textAt(4);
        row.pointCount = static_cast<int>(s.intAt(5));
        row.quickTest = s.intAt(6) != 0;
        row.model = s.intAt(7) != 0;
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        return errorFrom(rc, "read");
    }
    return rows;
}

LibraryResult<std::vector<std::int64_t>> Library::matchingIds(const RecordFilter& filter,
                                                              const RecordOrder& order) {
    const std::string sql = "SELECT r.id FROM records r" + whereAndOrder(filter, order);
    Statement s(db_.get(), sql.c_str());
    if (s.prepareCode() != SQLITE_OK) {
        return errorFrom(s.prepareCode(), "read");
    }
    bindFilter(s, filter);
    std::vector<std::int64_t> ids;
    int rc = SQLITE_OK;
    while ((rc = s.step()) == SQLITE_ROW) {
        ids.push_back(s.intAt(0));
    }
    if (rc != SQLITE_DONE) {
        return errorFrom(rc, "read");
    }
    return ids;
}

LibraryResult<std::vector<StoredRecord>> Library::records(const RecordFilter& filter) {
    Transaction tx(db_.get());
    if (const int rc = tx.begin(false); rc != SQLITE_OK) {
        return errorFrom(rc, "read");
    }
    LibraryResult<std::vector<std::int64_t>> ids = matchingIds(filter, {});
    if (!ids) {
        return ids.error();
    }
    std::vector<StoredRecord> found;
    found.reserve(ids.value().size());
    for (const std::int64_t id : ids.value()) {
        LibraryResult<StoredRecord> r = readRecord(id);
        if (!r) {
            return r.error();
        }
        found.push_back(std::move(r.value()));
    }
    if (const int rc = tx.commit(); rc != SQLITE_OK) {
        return errorFrom(rc, "read");
    }
    return found;
}

LibraryStatus Library::remove(std::int64_t id) {
    sqlite3* db = db_.get();
    const std::string doing = "removed";
    Transaction tx(db);
    if (const int rc = tx.begin(true); rc != SQLITE_OK) {
        return errorFrom(rc, doing);
    }
    // The points and results go explicitly too, in case another program switched the
    // foreign-key cascade off.
    for (const char* sql :
         {"DELETE FROM points WHERE record_id = ?1",
          "DELETE FROM quick_test_values WHERE record_id = ?1",
          "DELETE FROM setups WHERE record_id = ?1", "DELETE FROM models WHERE record_id = ?1",
          "DELETE FROM records WHERE id = ?1"}) {
        Statement s(db, sql);
        if (s.prepareCode() != SQLITE_OK) {
            return errorFrom(s.prepareCode(), doing);
        }
        s.bind(1, id);
        if (const int rc = s.step(); rc != SQLITE_DONE) {
            return errorFrom(rc, doing);
        }
    }
    if (sqlite3_changes(db) == 0) {
        return LibraryError{LibraryFault::NoSuchRecord,
                            "There is no record " + std::to_string(id) + " in the library."};
    }
    if (const int rc = tx.commit(); rc != SQLITE_OK) {
        return errorFrom(rc, doing);
    }
    return std::monostate{};
}

LibraryStatus Library::exportCsv(const std::vector<std::int64_t>& ids,
                                 const std::filesystem::path& csvFile) {
    std::vector<StoredRecord> chosen;
    {
        Transaction tx(db_.get());
        if (const int rc = tx.begin(false); rc != SQLITE_OK) {
            return errorFrom(rc, "read");
        }
        for (const std::int64_t id : ids) {
            LibraryResult<StoredRecord> r = readRecord(id);
            if (!r) {
                return r.error();
            }
            chosen.push_back(std::move(r.value()));
        }
        tx.commit();
    }
    std::string why;
    if (!writeFileAtomically(csvFile.string(), pointsCsv(chosen), why)) {
        return LibraryError{LibraryFault::WriteFailed,
                            "Cannot write " + quoted(csvFile) + ": " + why + "."};
    }
    return std::monostate{};
}

std::string pointsCsv(const std::vector<StoredRecord>& records) {
    std::string csv =
        "record,date (UTC),type,label,curve,Ia (mA),Is (mA),Vh (V),Vg (V),Vs (V),Va (V)\r\n";
    for (const StoredRecord& s : records) {
        const LibraryRecord& r = s.record;
        const std::string head = std::to_string(s.id) + "," + isoDateTimeText(r.when) + "," +
                                 csvCell(r.valveType) + "," + csvCell(r.label);
        for (const MeasuredPoint& p : r.points) {
            csv += head;
            for (const double v : {p.curve, p.ia, p.is, p.vh, p.vg, p.vs, p.va}) {
                csv += ',';
                csv += shortestNumber(v);
            }
            csv += "\r\n";
        }
    }
    return csv;
}

}  // namespace ostrino::library
