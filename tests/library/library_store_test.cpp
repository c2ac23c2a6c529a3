// The library file: records kept and read back, an old file brought up to date, damaged and
// locked files refused with one message, two programs writing at once.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <locale>
#include <sstream>

#include "library/library.h"
#include "tests/support/scoped_work_dir.h"

namespace ostrino::library {
namespace {

using std::chrono::sys_days;
using namespace std::chrono_literals;

std::chrono::sys_seconds at(int y, unsigned m, unsigned d, int hour = 0) {
    return sys_days(std::chrono::year(y) / m / d) + std::chrono::hours(hour);
}

LibraryRecord sampleRecord(const std::string& type, const std::string& label) {
    LibraryRecord r;
    r.when = at(2024, 5, 1, 12) + 34min + 56s;
    r.valveType = type;
    r.label = label;
    r.note = "Box 2, bought 1978";
    r.console = "Ostrino_3p11 3.11";
    r.instrumentVersion = 2;
    r.calibration = {1.0, 0.9875, 1.0123456789, 1, 1, 1, 1, 1.1, 1, 0.5};
    r.setupText = "Ostrino setup\r\n 250 Va\r\n";
    r.points = {{1, 1.25, 0.01, 6.3, -1, 250, 100}, {1, 2.5, 0.02, 6.3, -1, 250, 150.5}};
    return r;
}

// Runs SQL on its own connection, as another program would.
void runSql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error != nullptr ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

std::string contentOf(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(LibraryStore, RecordComesBackAsStored) {
    test::ScopedWorkDir dir;
    LibraryResult<Library> lib = Library::open("lib.sqlite");
    ASSERT_TRUE(lib) << lib.error().message;

    LibraryRecord full = sampleRecord("ECC83", "ECC83 #7 Ü");
    full.quickTest = {{2, "Ia", 1.19}, {1, "Ia", 1.21}, {1, "Gm", 1.6}, {1, "mu", 98.5}};
    full.modelJson = R"({"kind":"Koren","mu":100})";
    LibraryRecord bare = sampleRecord("EL84", "A");
    bare.note.clear();
    bare.points.clear();

    for (const LibraryRecord* r : {&full, &bare}) {
        LibraryResult<std::int64_t> id = lib.value().add(*r);
        ASSERT_TRUE(id) << id.error().message;
        LibraryResult<StoredRecord> back = lib.value().get(id.value());
        ASSERT_TRUE(back) << back.error().message;
        EXPECT_EQ(back.value().record, *r);
    }

    LibraryResult<std::vector<RecordSummary>> rows = lib.value().list();
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows.value().size(), 2u);
    EXPECT_EQ(rows.value()[0].pointCount, 2);
    EXPECT_TRUE(rows.value()[0].quickTest);
    EXPECT_TRUE(rows.value()[0].model);
    EXPECT_EQ(rows.value()[1].pointCount, 0);
    EXPECT_FALSE(rows.value()[1].quickTest);
    EXPECT_FALSE(rows.value()[1].model);
}

TEST(LibraryStore, UnstorableRecordsAreRefusedWholly) {
    test::ScopedWorkDir dir;
    LibraryResult<Library> lib = Library::open("lib.sqlite");
    ASSERT_TRUE(lib);
    const struct {
        const char* what;
        void (*spoil)(LibraryRecord&);
    } cases[] = {
        {"no type", [](LibraryRecord& r) { r.valveType = "  "; }},
        {"no label", [](LibraryRecord& r) { r.label.clear(); }},
        {"NaN current", [](LibraryRecord& r) { r.points[1].ia = std::nan(""); }},
        {"infinite factor", [](LibraryRecord& r) { r.calibration[3] = INFINITY; }},
        {"result twice",
         [](LibraryRecord& r) {
             r.quickTest = {{1, "Ia", 1.0}, {1, "Ia", 1.1}};
         }},
    };
    for (const auto& c : cases) {
        LibraryRecord r = sampleRecord("ECC83", "x");
        c.spoil(r);
        LibraryResult<std::int64_t> id = lib.value().add(r);
        ASSERT_FALSE(id) << c.what;
        EXPECT_EQ(id.error().fault, LibraryFault::InvalidRecord) << c.what;
    }
    EXPECT_TRUE(lib.value().list().value().empty());
}

TEST(LibraryStore, VersionOneFileIsBroughtUpToDate) {
    test::ScopedWorkDir dir;
    // A library as the first version of the program left it.
    runSql("old.sqlite", R"sql(
        CREATE TABLE schema_version (version INTEGER NOT NULL);
        INSERT INTO schema_version VALUES (1);
        CREATE TABLE records (id INTEGER PRIMARY KEY, measured_at INTEGER NOT NULL,
            valve_type TEXT NOT NULL COLLATE NOCASE, label TEXT NOT NULL COLLATE NOCASE,
            note TEXT NOT NULL DEFAULT '', console TEXT NOT NULL DEFAULT '',
            instrument_version INTEGER NOT NULL, calibration TEXT NOT NULL, setup TEXT NOT NULL);
        CREATE TABLE points (record_id INTEGER NOT NULL REFERENCES records (id) ON DELETE CASCADE,
            seq INTEGER NOT NULL, curve REAL NOT NULL, ia REAL NOT NULL, is_ REAL NOT NULL,
            vh REAL NOT NULL, vg REAL NOT NULL, vs REAL NOT NULL, va REAL NOT NULL,
            PRIMARY KEY (record_id, seq)) WITHOUT ROWID;
        INSERT INTO records VALUES (5, 1714566896, 'ECC82', 'old one', 'n', 'Ostrino_3p11 3.11', 1,
            '1 1 1 1.5 1 1 1 1 1 1', 'setup');
        INSERT INTO points VALUES (5, 0, 1, 2.5, 0, 6.3, -2, 0, 100);
        INSERT INTO points VALUES (5, 1, 1, 5.0, 0, 6.3, -2, 0, 150);
        INSERT INTO points VALUES (5, 2, 2, 1.0, 0, 6.3, -4, 0, 100);
    )sql");

    LibraryResult<Library> lib = Library::open("old.sqlite");
    ASSERT_TRUE(lib) << lib.error().message;
    LibraryResult<StoredRecord> old = lib.value().get(5);
    ASSERT_TRUE(old) << old.error().message;
    EXPECT_EQ(old.value().record.when, at(2024, 5, 1, 12) + 34min + 56s);
    EXPECT_EQ(old.value().record.calibration[3], 1.5);
    EXPECT_EQ(old.value().record.setupText, "setup");
    ASSERT_EQ(old.value().record.points.size(), 3u);
    EXPECT_EQ(old.value().record.points[2], (MeasuredPoint{2, 1.0, 0, 6.3, -4, 0, 100}));
    EXPECT_TRUE(old.value().record.quickTest.empty());
    EXPECT_FALSE(old.value().record.modelJson);
    EXPECT_EQ(lib.value().list().value().at(0).pointCount, 3);  // counted by the migration

    LibraryRecord fresh = sampleRecord("ECC82", "new one");
    fresh.quickTest = {{1, "Ia", 2.0}};
    fresh.modelJson = "{}";
    LibraryResult<std::int64_t> id = lib.value().add(fresh);
    ASSERT_TRUE(id) << id.error().message;
    EXPECT_EQ(lib.value().get(id.value()).value().record, fresh);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open("old.sqlite", &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT version FROM schema_version", -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(s, 0), kSchemaVersion);
    sqlite3_finalize(s);
    sqlite3_close(db);
}

TEST(LibraryStore, UnusableFilesGiveOneMessageAndStayUnchanged) {
    test::ScopedWorkDir dir;
    { std::ofstream("text.sqlite") << "Ostrino setup file, not a library\r\n"; }
    runSql("newer.sqlite",
           "CREATE TABLE schema_version (version INTEGER NOT NULL);"
           "INSERT INTO schema_version VALUES (3); CREATE TABLE records (id INTEGER);");
    runSql("other.sqlite", "CREATE TABLE photos (id INTEGER, name TEXT);");

    const struct {
        const char* file;
        LibraryFault fault;
        const char* says;
    } cases[] = {
        {"text.sqlite", LibraryFault::NotADatabase, "is not a valve library"},
        {"newer.sqlite", LibraryFault::TooNew, "newer program (library version 3"},
        {"other.sqlite", LibraryFault::NotALibrary, "not a valve library"},
        {"missing.sqlite", LibraryFault::CannotOpen, "There is no valve library"},
    };
    for (const auto& c : cases) {
        const std::string before = contentOf(c.file);
        OpenOptions options;
        options.createIfMissing = false;
        LibraryResult<Library> lib = Library::open(c.file, options);
        ASSERT_FALSE(lib) << c.file;
        EXPECT_EQ(lib.error().fault, c.fault) << c.file;
        EXPECT_NE(lib.error().message.find(c.says), std::string::npos) << lib.error().message;
        EXPECT_NE(lib.error().message.find(c.file), std::string::npos) << lib.error().message;
        EXPECT_EQ(contentOf(c.file), before) << c.file;
    }
}

TEST(LibraryStore, LockedFileIsReportedAndNothingHalfWritten) {
    test::ScopedWorkDir dir;
    OpenOptions quick;
    quick.busyTimeoutMs = 100;
    sqlite3* other = nullptr;
    {
        LibraryResult<Library> mine = Library::open("lib.sqlite", quick);
        ASSERT_TRUE(mine);

        // Another program writes and keeps its transaction open beyond the busy time-out.
        ASSERT_EQ(sqlite3_open("lib.sqlite", &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; UPDATE records SET note = 'x';", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        LibraryResult<std::int64_t> added = mine.value().add(sampleRecord("ECC83", "x"));
        ASSERT_FALSE(added);
        EXPECT_EQ(added.error().fault, LibraryFault::Locked);
        EXPECT_NE(added.error().message.find("locked by another program"), std::string::npos);
        EXPECT_TRUE(mine.value().list().value().empty());  // readers still read

        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        EXPECT_TRUE(mine.value().add(sampleRecord("ECC83", "x")));
    }

    // A program that holds the whole file keeps even readers out.
    ASSERT_EQ(sqlite3_open("lib.sqlite", &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    LibraryResult<Library> second = Library::open("lib.sqlite", quick);
    ASSERT_FALSE(second);
    EXPECT_EQ(second.error().fault, LibraryFault::Locked);
    sqlite3_close(other);
    LibraryResult<Library> third = Library::open("lib.sqlite", quick);
    ASSERT_TRUE(third);
    EXPECT_EQ(third.value().list().value().size(), 1u);
}

TEST(LibraryStore, TwoProcessesAddingAtOnceLoseNothing) {
    test::ScopedWorkDir dir;
    ASSERT_TRUE(Library::open("lib.sqlite"));  // created once, as the console would
    constexpr int kEach = 40;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            LibraryResult<Library> lib = Library::open("lib.sqlite");
            int failures = lib ? 0 : 1;
            for (int k = 0; lib && k < kEach; ++k) {
                LibraryRecord r = sampleRecord("ECC83", "p" + std::to_string(c));
                r.points.resize(200, {1, 1.0, 0, 6.3, -1, 250, 100});
                failures += lib.value().add(r) ? 0 : 1;
            }
            _exit(failures == 0 ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    LibraryResult<Library> lib = Library::open("lib.sqlite");
    ASSERT_TRUE(lib);
    for (const char* label : {"p0", "p1"}) {
        RecordFilter filter;
        filter.labelContains = label;
        LibraryResult<std::vector<StoredRecord>> found = lib.value().records(filter);
        ASSERT_TRUE(found);
        ASSERT_EQ(found.value().size(), static_cast<std::size_t>(kEach)) << label;
        for (const StoredRecord& s : found.value()) {
            EXPECT_EQ(s.record.points.size(), 200u);
        }
    }
}

TEST(LibraryStore, ListFiltersAndSorts) {
    test::ScopedWorkDir dir;
    LibraryResult<Library> lib = Library::open("lib.sqlite");
    ASSERT_TRUE(lib);
    // ids 1..4
    const struct {
        const char* type;
        const char* label;
        std::chrono::sys_seconds when;
    } records[] = {
        {"ECC83", "box 1 #2", at(2024, 1, 10)},
        {"ecc83", "box 1 #10", at(2024, 3, 5)},
        {"EL84", "50% worn", at(2024, 3, 6)},
        {"ECC83", "spare", at(2024, 3, 31, 23)},
    };
    for (const auto& r : records) {
        LibraryRecord record = sampleRecord(r.type, r.label);
        record.when = r.when;
        ASSERT_TRUE(lib.value().add(record));
    }
    auto ids = [&](const RecordFilter& f, const RecordOrder& o) {
        std::vector<std::int64_t> found;
        for (const RecordSummary& s : lib.value().list(f, o).value()) {
            found.push_back(s.id);
        }
        return found;
    };
    RecordFilter byType;
    byType.valveType = "Ecc83";
    RecordFilter byLabel;
    byLabel.labelContains = "BOX 1";
    RecordFilter percent;
    percent.labelContains = "0%";  // '%' is a character here, not a wildcard
    RecordFilter march;
    march.from = at(2024, 3, 1);
    march.to = at(2024, 3, 31, 23);
    const struct {
        RecordFilter filter;
        RecordOrder order;
        std::vector<std::int64_t> expected;
    } cases[] = {
        {{}, {}, {1, 2, 3, 4}},  {{}, {SortKey::Date, true}, {4, 3, 2, 1}},
        {byType, {}, {1, 2, 4}}, {byLabel, {SortKey::Label, false}, {2, 1}},
        {percent, {}, {3}},      {march, {SortKey::Type, false}, {2, 4, 3}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ids(c.filter, c.order), c.expected);
    }
}

// A locale that writes 1,5 for one and a half.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(LibraryStore, RemoveAndExportPoints) {
    test::ScopedWorkDir dir;
    LibraryResult<Library> lib = Library::open("lib.sqlite");
    ASSERT_TRUE(lib);
    LibraryRecord r = sampleRecord("ECC83", "box 1, #2");
    r.when = at(2024, 2, 29, 7);
    const std::int64_t first = lib.value().add(r).value();
    const std::int64_t second = lib.value().add(sampleRecord("ECC83", "gone")).value();

    ASSERT_TRUE(lib.value().remove(second));
    EXPECT_EQ(lib.value().get(second).error().fault, LibraryFault::NoSuchRecord);
    EXPECT_EQ(lib.value().remove(second).error().fault, LibraryFault::NoSuchRecord);
    EXPECT_EQ(lib.value().exportCsv({first, second}, "out.csv").error().fault,
              LibraryFault::NoSuchRecord);
    EXPECT_FALSE(std::ifstream("out.csv").good());

    const std::locale previous = std::locale::global(std::locale(std::locale(), new CommaDecimal));
    const LibraryStatus exported = lib.value().exportCsv({first}, "out.csv");
    std::locale::global(previous);
    ASSERT_TRUE(exported) << exported.error().message;
    EXPECT_EQ(contentOf("out.csv"),
              "record,date (UTC),type,label,curve,Ia (mA),Is (mA),Vh (V),Vg (V),Vs (V),Va (V)\r\n"
              "1,2024-02-29T07:00:00Z,ECC83,\"box 1, #2\",1,1.25,0.01,6.3,-1,250,100\r\n"
              "1,2024-02-29T07:00:00Z,ECC83,\"box 1, #2\",1,2.5,0.02,6.3,-1,250,150.5\r\n");
    EXPECT_EQ(lib.value().exportCsv({first}, "no-such-folder/out.csv").error().fault,
              LibraryFault::WriteFailed);
}

TEST(LibraryStore, DefaultPathFollowsXdgDataHome) {
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string xdg = savedXdg != nullptr ? savedXdg : "";
    const std::string home = savedHome != nullptr ? savedHome : "";
    const struct {
        const char* xdg;  // nullptr: not set
        const char* home;
        const char* expected;
    } cases[] = {
        {"/data", "/home/u", "/data/ostrino/library.sqlite"},
        {nullptr, "/home/u", "/home/u/.local/share/ostrino/library.sqlite"},
        {"relative/data", "/home/u", "/home/u/.local/share/ostrino/library.sqlite"},
        {nullptr, nullptr, ""},
    };
    for (const auto& c : cases) {
        c.xdg != nullptr ? setenv("XDG_DATA_HOME", c.xdg, 1) : unsetenv("XDG_DATA_HOME");
        c.home != nullptr ? setenv("HOME", c.home, 1) : unsetenv("HOME");
        EXPECT_EQ(Library::defaultPath().string(), c.expected);
    }
    savedXdg != nullptr ? setenv("XDG_DATA_HOME", xdg.c_str(), 1) : unsetenv("XDG_DATA_HOME");
    savedHome != nullptr ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");

    // The folders are made on first use.
    test::ScopedWorkDir dir;
    ASSERT_TRUE(Library::open("data/ostrino/library.sqlite"));
    EXPECT_TRUE(std::ifstream("data/ostrino/library.sqlite").good());
}

// A damaged record may hold any number of seconds; the calendar covers the years 1 to 9999.
TEST(LibraryDates, TimesBeyondTheCalendarHaveNoDate) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {1714566896, "2024-05-01 12:34:56"},
        {0, "1970-01-01 00:00:00"},
        {-62135596800, "0001-01-01 00:00:00"},
        {253402300799, "9999-12-31 23:59:59"},
        {-62135596801, "(no valid date)"},
        {253402300800, "(no valid date)"},
        {-99999999999999999, "(no valid date)"},
        {std::numeric_limits<std::int64_t>::min(), "(no valid date)"},
        {std::numeric_limits<std::int64_t>::max(), "(no valid date)"},
    };
    for (const auto& [seconds, text] : cases) {
        const std::chrono::sys_seconds t{std::chrono::seconds(seconds)};
        EXPECT_EQ(dateTimeText(t), text) << seconds;
    }
    EXPECT_EQ(isoDateTimeText(std::chrono::sys_seconds{std::chrono::seconds(253402300800)}),
              "(no valid date)");
}

}  // namespace
}  // namespace ostrino::library
