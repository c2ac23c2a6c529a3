// Records of the valve library as another program (or a damaged disk) may have left them:
// every column written as the input says, whatever the console itself would store, then
// read back, listed, shown, exported and matched. The input holds up to four records,
// separated by '\x1e'; the fields of a record are separated by '\x1f':
//
//   measured_at, valve_type, label, note, console, instrument_version, calibration,
//   setup, model_json, points (a line "curve ia is vh vg vs va" each),
//   quick-test values (a line "section name value" each)
//
// A field is stored as text and the column's type makes of it what SQLite makes of it (a
// number where it reads as one). A missing setup or model field leaves that row out.

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "library/library.h"
#include "library/library_command.h"
#include "library/matching.h"

namespace {

using namespace ostrino;
using namespace ostrino::library;

constexpr const char* kFile = "library.sqlite";
constexpr std::size_t kMaxRecords = 4;
constexpr std::size_t kMaxRows = 64;  // points or quick-test values of one record

std::vector<std::string_view> split(std::string_view text, char separator, std::size_t most) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < most) {
        const std::size_t at = text.find(separator);
        if (at == std::string_view::npos) {
            break;
        }
        parts.push_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    parts.push_back(text);
    return parts;
}

// Words of a line, as many as asked for (missing ones are empty).
std::vector<std::string> words(std::string_view line, std::size_t count) {
    std::vector<std::string> out;
    std::istringstream in{std::string(line)};
    std::string w;
    while (out.size() < count && in >> w) {
        out.push_back(w);
    }
    out.resize(count);
    return out;
}

// The raw connection that writes what the library then reads.
struct Writer {
    Writer() {
        fuzz::enterScratchFolder();
        // The library makes its file and schema; the records come and go with each input.
        LibraryResult<Library> made = Library::open(kFile);
        fuzz::require(made.ok());
        fuzz::require(sqlite3_open(kFile, &db) == SQLITE_OK);
        exec("PRAGMA synchronous = OFF");
    }
    void exec(const char* sql) {
        fuzz::require(sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK);
    }
    // Inserts the values as text; false when SQLite refuses the row (a constraint).
    bool insert(const char* sql, const std::vector<std::string>& values) {
        sqlite3_stmt* s = nullptr;
        fuzz::require(sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK);
        for (std::size_t i = 0; i < values.size(); ++i) {
            sqlite3_bind_text64(s, static_cast<int>(i + 1), values[i].data(), values[i].size(),
                                SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        const int rc = sqlite3_step(s);
        sqlite3_finalize(s);
        return rc == SQLITE_DONE;
    }
    sqlite3* db = nullptr;
};

void store(Writer& w, int id, std::string_view input) {
    const std::vector<std::string_view> f = split(input, '\x1f', 11);
    auto field = [&f](std::size_t i) { return i < f.size() ? std::string(f[i]) : std::string(); };
    const std::string idText = std::to_string(id);
    if (!w.insert("INSERT INTO records (id, measured_at, valve_type, label, note, console, "
                  "instrument_version, calibration, point_count) "
                  "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
                  {idText, field(0), field(1), field(2), field(3), field(4), field(5), field(6),
                   std::to_string(f.size() > 9 ? split(f[9], '\n', kMaxRows).size() : 0)})) {
        return;
    }
    if (f.size() > 7) {
        w.insert("INSERT INTO setups (record_id, setup) VALUES (?1, ?2)", {idText, field(7)});
    }
    if (f.size() > 8) {
        w.insert("INSERT INTO models (record_id, model_json) VALUES (?1, ?2)", {idText, field(8)});
    }
    if (f.size() > 9) {
        int seq = 0;
        for (const std::string_view line : split(f[9], '\n', kMaxRows)) {
            std::vector<std::string> v = words(line, 7);
            v.insert(v.begin(), {idText, std::to_string(seq++)});
            w.insert(
                "INSERT INTO points (record_id, seq, curve, ia, is_, vh, vg, vs, va) "
                "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
                v);
        }
    }
    if (f.size() > 10) {
        int seq = 0;
        for (const std::string_view line : split(f[10], '\n', kMaxRows)) {
            std::vector<std::string> v = words(line, 3);
            v.insert(v.begin(), {idText, std::to_string(seq++)});
            w.insert(
                "INSERT INTO quick_test_values (record_id, seq, section, name, value) "
                "VALUES (?1, ?2, ?3, ?4, ?5)",
                v);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Writer writer;
    static LibraryResult<Library> library = Library::open(kFile, {false, 0});
    fuzz::require(library.ok());
    Library& lib = library.value();

    const std::string_view input(reinterpret_cast<const char*>(data), size);
    writer.exec("BEGIN");
    int id = 0;
    for (const std::string_view record : split(input, '\x1e', kMaxRecords)) {
        store(writer, ++id, record);
    }
    writer.exec("COMMIT");

    // Every way the library reads records: a listing, each record, all at once, the CSV,
    // matching, and the command line's "show".
    (void)lib.list({}, {SortKey::Type, true});
    for (int i = 1; i <= id; ++i) {
        (void)lib.get(i);
    }
    LibraryResult<std::vector<StoredRecord>> all = lib.records({});
    if (all.ok()) {
        (void)pointsCsv(all.value());
        for (const GroupSize g : {GroupSize::Pairs, GroupSize::Quads}) {
            const MatchResult m = matchValves(all.value(), g, {200});
            (void)matchCsv(all.value(), m, g);
        }
    }
    std::ostringstream out;
    std::ostringstream err;
    for (const char* command : {"list", "show"}) {
        std::vector<std::string> args{"--library", kFile, command};
        if (std::string_view(command) == "show") {
            args.push_back("1");
        }
        const int rc = runLibraryCommand(args, out, err);
        fuzz::require(rc == 0 || rc == 2);
    }

    writer.exec(
        "DELETE FROM points; DELETE FROM quick_test_values; DELETE FROM setups; "
        "DELETE FROM models; DELETE FROM records");
    return 0;
}
