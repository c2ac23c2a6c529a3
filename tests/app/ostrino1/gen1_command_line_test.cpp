// The command line of Ostrino_1p2.

#include "app/ostrino1/gen1_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ostrino::gen1 {
namespace {

TEST(Gen1CommandLine, SimulateSerialAndMistakes) {
    struct Case {
        std::vector<std::string> args;
        bool simulate;
        const char* valve;
        const char* device;
        bool error;
    };
    const Case cases[] = {
        {{}, false, "", "", false},
        {{"--simulate"}, true, "", "", false},
        {{"--simulate=el84"}, true, "el84", "", false},
        {{"--simulate=6L6"}, true, "6L6", "", true},
        {{"--serial", "/dev/pts/3"}, false, "", "/dev/pts/3", false},
        {{"--serial=COM3"}, false, "", "COM3", false},
        {{"--serial"}, false, "", "", true},
        {{"--simulate", "--serial", "/dev/ttyUSB0"}, true, "", "/dev/ttyUSB0", true},
        {{"--ping"}, false, "", "", true},
    };
    for (const auto& c : cases) {
        const CommandLine cl = parseCommandLine(c.args);
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        EXPECT_EQ(!cl.error.empty(), c.error) << cl.error;
        if (!c.error) {
            EXPECT_EQ(cl.simulate, c.simulate);
            EXPECT_EQ(cl.valve, c.valve);
            EXPECT_EQ(cl.serialDevice, c.device);
        }
    }
}

}  // namespace
}  // namespace ostrino::gen1
