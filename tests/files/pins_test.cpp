#include "files/pins.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "common/console_state.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

std::string contents(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

TEST(Pins, MissingPinFileIsCreatedOnceWithTheDefaultNames) {
    test::ScopedWorkDir dir;
    auto state = std::make_unique<ConsoleState>();
    test::ScriptedDialogs dialogs;
    FrmPinModel model({state->intPins, state->blnPinsForm}, dialogs);
    model.open();
    EXPECT_EQ(contents(kPinFile),
              "\r\nanode\r\nscreen\r\ngrid\r\ncathode\r\nH1 (int)\r\nH2 (int)\r\nH1 (ext)\r\n"
              "H2 (ext)\r\nH1 (bat)\r\nH2 (bat)\r\naux 1\r\naux 2\r\naux 3\r\nn.c.\r\n");
    ASSERT_EQ(dialogs.texts(), std::vector<std::string>{"A new pinning file has been created"});
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(model.names, defaultPinNames());

    // An existing file is read at every opening and never rewritten.
    std::ofstream(kPinFile, std::ios::binary) << "\r\nplate\r\n";
    model.open();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(model.names[1], "plate");
    EXPECT_EQ(contents(kPinFile), "\r\nplate\r\n");

    // A pin file that cannot be made: a message, and the default names are offered.
    std::filesystem::remove(kPinFile);
    std::filesystem::create_directory(kPinFile);
    model.open();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text.rfind("The pin file pins.oss cannot be written (", 0), 0u);
    EXPECT_EQ(model.names, defaultPinNames());
}

TEST(Pins, NamesAreCutToTenCharactersAndMissingOnesAreBlank) {
    const std::pair<std::string, PinNames> cases[] = {
        {"\r\nanode and screen\r\nH1, H2\r\ngrid\n", {"", "anode and ", "H1, H2", "grid"}},
        {"", {}},
        {"\xC2\xB5\xC2\xB5\xC2\xB5\xC2\xB5\xC2\xB5\xC2\xB5xxxxxy\r\n",  // six "µ" and six more
         {"\xC2\xB5\xC2\xB5\xC2\xB5\xC2\xB5\xC2\xB5\xC2\xB5xxxx"}},
        // Stray continuation bytes of a damaged file count one character each.
        {"\x86\x86\x86\x86\x86\x86\x86\x86\x86\x86\x86\x86"
         "anode\r\n",
         {"\x86\x86\x86\x86\x86\x86\x86\x86\x86\x86"}},
        {"\xE2\x82\xAC\xAC\xAC"
         "abcdefghij\r\n",  // a euro sign and two stray bytes
         {"\xE2\x82\xAC\xAC\xAC"
          "abcdefg"}},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15"}},
    };
    for (const auto& [content, expected] : cases) {
        EXPECT_EQ(parsePinNames(content), expected) << content;
    }
}

TEST(Pins, ChoicesStoreAllThirteenPinsOnlyWhileTheWindowIsOpen) {
    test::ScopedWorkDir dir;
    auto state = std::make_unique<ConsoleState>();
    test::ScriptedDialogs dialogs;
    FrmPinModel model({state->intPins, state->blnPinsForm}, dialogs);
    state->intPins[0] = 3;
    state->intPins[1] = 15;  // outside the list
    state->intPins[2] = -1;
    state->intPins[13] = 7;  // belongs to no pin

    model.pinSelected(4, 2);
    model.ClearPins();
    EXPECT_EQ(state->intPins[0], 3);
    EXPECT_EQ(state->intPins[4], 0);

    model.open();
    EXPECT_TRUE(state->blnPinsForm);
    EXPECT_EQ(model.cboPin, (std::array<int, kPinLists>{3}));
    EXPECT_EQ(state->intPins[1], 15);  // kept until the user chooses
    model.pinSelected(5, 4);
    EXPECT_EQ(state->intPins, (std::array<int, 21>{3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 7}));
    model.ClearPins();
    EXPECT_EQ(state->intPins, (std::array<int, 21>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}));
    EXPECT_EQ(model.cboPin, (std::array<int, kPinLists>{}));

    model.close();
    EXPECT_FALSE(state->blnPinsForm);
    model.pinSelected(6, 1);
    EXPECT_EQ(state->intPins[6], 0);
}

}  // namespace
}  // namespace ostrino
