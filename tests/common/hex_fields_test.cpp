#include "common/hex_fields.h"

#include <gtest/gtest.h>

namespace ostrino {
namespace {

// The simulated instruments read command fields as plain unsigned numbers; only the
// consoles read four digits as a signed 16-bit value.
TEST(ReadHex, ReadsFourDigitsWithoutSign) {
    EXPECT_EQ(readHex("FFFF"), 0xFFFF);
    EXPECT_EQ(readHex("8000"), 0x8000);
    EXPECT_EQ(readHex16("FFFF"), -1);
    EXPECT_EQ(readHex("03ff"), 1023);
    EXPECT_EQ(readHex("34"), 0x34);
    EXPECT_EQ(readHex(""), 0);
    EXPECT_EQ(readHex("0G"), std::nullopt);
    EXPECT_EQ(readHex(" 1"), std::nullopt);
}

}  // namespace
}  // namespace ostrino
