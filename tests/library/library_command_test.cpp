// ostrino-library's commands: what they print and the exit status they end with.

#include "library/library_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "library/library.h"
#include "tests/support/scoped_work_dir.h"

namespace ostrino::library {
namespace {

LibraryRecord valve(const std::string& label, double gain) {
    LibraryRecord r;
    r.when = std::chrono::sys_days(std::chrono::year(2024) / 6 / 3);
    r.valveType = "ECC83";
    r.label = label;
    r.setupText = "setup of " + label + "\r\n";
    for (int k = 0; k < 5; ++k) {
        r.points.push_back({1, gain * (k + 1), 0, 6.3, -1, 0, 100.0 + 50 * k});
    }
    return r;
}

TEST(LibraryCommand, AnswersAndExitStatus) {
    test::ScopedWorkDir dir;
    {
        LibraryResult<Library> lib = Library::open("lib.sqlite");
        ASSERT_TRUE(lib);
        for (const auto& [label, gain] :
             {std::pair{"V1", 1.00}, {"V2", 0.98}, {"V3", 0.80}, {"V4", 0.79}, {"V5", 0.50}}) {
            ASSERT_TRUE(lib.value().add(valve(label, gain)));
        }
    }
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;  // a part of what is printed (to either stream)
    } cases[] = {
        {{"--version"}, 0, "ostrino-library 3.11"},
        {{"--library", "lib.sqlite", "list", "--label", "V2"}, 0, "2  2024-06-03 00:00  ECC83"},
        {{"--library", "lib.sqlite", "show", "3"}, 0, "Label:        V3"},
        {{"--library", "lib.sqlite", "show", "3", "--setup"}, 0, "setup of V3\r\n"},
        {{"--library", "lib.sqlite", "match", "--type", "ecc83", "--pairs", "--csv", "m.csv"},
         0,
         "   1    1.25 %  V3 (3), V4 (4)\n   2    2.00 %  V1 (1), V2 (2)\n"},
        {{"--library", "lib.sqlite", "match", "--type", "ECC83", "--pairs"},
         0,
         "Left over: V5 (5): no partner was left for it."},
        {{"--library", "lib.sqlite", "match", "--type", "ECC83", "--quads"},
         0,
         "V1 (1), V2 (2), V3 (3), V4 (4)"},
        {{"--library", "lib.sqlite", "export", "1", "2", "--csv", "p.csv"},
         0,
         "Exported 2 records"},
        {{"--library", "lib.sqlite", "export", "1", "--csv", "nowhere/p.csv"}, 1, "Cannot write"},
        {{"--library", "lib.sqlite", "show", "99"}, 2, "There is no record 99"},
        {{"--library", "lib.sqlite", "match", "--type", "ECC83"}, 2, "--pairs or --quads"},
        {{"--library", "lib.sqlite", "list", "--from", "2024-13-01"}, 2, "needs a date"},
        {{"--library", "lib.sqlite", "remove", "x"}, 2, "remove does not take \"x\""},
        {{"--library", "lib.sqlite", "frobnicate"}, 2, "unknown command"},
        {{"--library", "missing.sqlite", "list"}, 2, "There is no valve library"},
        {{"--library", "lib.sqlite", "remove", "5"}, 0, "Removed record 5 (ECC83, V5)."},
        {{"--library", "lib.sqlite", "list", "--label", "V5"}, 0, "No records."},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(runLibraryCommand(c.args, out, err), c.status) << c.args.back();
        EXPECT_NE((out.str() + err.str()).find(c.says), std::string::npos)
            << c.args.back() << ":\n"
            << out.str() << err.str();
    }
    std::ifstream csv("m.csv", std::ios::binary);
    std::ostringstream text;
    text << csv.rdbuf();
    EXPECT_EQ(text.str(), "rank,distance (%),valve 1,valve 2\r\n1,1.25,V3,V4\r\n2,2.00,V1,V2\r\n");
}

}  // namespace
}  // namespace ostrino::library
