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
    };
    for (const Case& c : cases) {
        EXPECT_EQ(batchExitStatus(c.outcome), c.status)
            << c.outcome.fault << c.outcome.heaterOffFailed << c.outcome.measuredPoints;
    }
}

}  // namespace
}  // namespace ostrino
