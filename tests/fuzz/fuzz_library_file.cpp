// A library file that may be damaged or something else altogether: it is refused with a
// reason, or its records are listed, read, exported, matched and shown.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "library/library.h"
#include "library/library_command.h"
#include "library/matching.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ostrino;
    using namespace ostrino::library;
    fuzz::enterScratchFolder();
    constexpr const char* kFile = "library.sqlite";
    // What the last run left beside the file goes first: it belongs to another file.
    ::unlink("library.sqlite-wal");
    ::unlink("library.sqlite-shm");
    fuzz::writeScratchFile(kFile, std::string_view(reinterpret_cast<const char*>(data), size));

    {
        LibraryResult<Library> opened = Library::open(kFile, {false, 0});
        if (!opened.ok()) {
            fuzz::require(!opened.error().message.empty());
            return 0;
        }
        Library& lib = opened.value();
        LibraryResult<std::vector<RecordSummary>> rows = lib.list();
        if (rows.ok()) {
            std::size_t n = 0;
            for (const RecordSummary& row : rows.value()) {
                if (++n > 8) {
                    break;
                }
                (void)lib.get(row.id);
            }
        }
        LibraryResult<std::vector<StoredRecord>> all = lib.records({});
        if (all.ok() && all.value().size() <= 16) {
            (void)pointsCsv(all.value());
            const MatchResult m = matchValves(all.value(), GroupSize::Pairs, {200});
            (void)matchCsv(all.value(), m, GroupSize::Pairs);
        }
    }
    std::ostringstream out;
    std::ostringstream err;
    const int rc = runLibraryCommand({"--library", kFile, "show", "1"}, out, err);
    fuzz::require(rc == 0 || rc == 2);
    return 0;
}
