#include "app/ostrino3/command_line.h"

#include <gtest/gtest.h>

namespace ostrino {
namespace {

// A batch run succeeds only when it measured and switched the heater off.
TEST(BatchExitStatus, OnlyAMeasuredRunWithTheHeaterOffSucceeds) {
    struct Case {
        BatchOutcome outcome;
        int status;
    };
    const Case cases[] = {
        {{false, false, 42, true}, 0},
        {{true, false, 8, true}, 1},     // a fault in the sweep, what was measured is written
        {{false, true, 42, true}, 1},    // the heater may still be on
        {{false, false, 0, true}, 1},    // nothing measured, though nothing failed
        {{true, false, 0, false}, 1},    // a fault before the first point
        {{false, false, 42, false}, 2},  // an output could not be written
        // measured and written, but not in the valve library
        {{false, false, 42, true, true, false}, 3},
        {{true, false, 8, true, true, false}, 1},
        {{false, false, 42, false, true, false}, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(batchExitStatus(c.outcome), c.status)
            << c.outcome.fault << c.outcome.heaterOffFailed << c.outcome.measuredPoints;
    }
}

// The options of the quick test and the valve library, and what they go with.
TEST(CommandLineOptions, QuickTestAndLibrary) {
    struct Case {
        std::vector<std::string> args;
        const char* error;  // a part of the message; empty: accepted
    };
    const Case cases[] = {
        {{"--batch", "a.oss", "--quick-test", "--report", "r.txt"}, ""},
        {{"--batch", "a.oss", "--library-add", "ECC83 #7", "--valve-type", "ECC83", "--note", ""},
         ""},
        {{"--library", "l.sqlite"}, ""},  // the window's library
        {{"--quick-test"}, "--quick-test goes with --batch"},
        {{"--batch", "a.oss", "--report", "r.txt"}, "--report goes with --quick-test"},
        {{"--batch", "a.oss", "--quick-test", "--save-data", "d.osd"}, "measures no curves"},
        {{"--library-add", "x"}, "--library-add goes with --batch"},
        {{"--batch", "a.oss", "--note", "n"}, "--valve-type and --note go with --library-add"},
        {{"--batch", "a.oss", "--library-add"}, "--library-add needs a label"},
        {{"--batch", "a.oss", "--library-add", ""}, "--library-add needs a label"},
        {{"--library"}, "--library needs a file name"},
    };
    for (const Case& c : cases) {
        const CommandLine cl = parseCommandLine(c.args);
        if (*c.error == '\0') {
            EXPECT_EQ(cl.error, "") << c.args.front();
        } else {
            EXPECT_NE(cl.error.find(c.error), std::string::npos) << cl.error;
        }
    }
    const CommandLine cl = parseCommandLine(
        {"--batch", "a.oss", "--library-add", "ECC83 #7", "--valve-type", "ECC83", "--note", "A"});
    EXPECT_EQ(cl.libraryAdd, "ECC83 #7");
    EXPECT_EQ(cl.valveType, "ECC83");
    EXPECT_EQ(cl.note, "A");
}

}  // namespace
}  // namespace ostrino
