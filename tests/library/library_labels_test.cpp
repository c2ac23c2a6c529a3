// The label proposed for the next valve of a box.

#include <gtest/gtest.h>

#include "library/labels.h"

namespace ostrino::library {
namespace {

TEST(NextLabel, CountsUpTheTrailingNumberOnly) {
    struct Case {
        const char* last;
        const char* type;
        const char* next;
    };
    const Case cases[] = {
        {"ECC83 #7", "ECC83", "ECC83 #8"},
        {"ECC83 #9", "ECC83", "ECC83 #10"},  // one digit more
        {"A09", "EL84", "A10"},              // leading zeros keep the width
        {"box 099", "EL84", "box 100"},
        {"shelf 2 / 999", "", "shelf 2 / 1000"},
        {"7", "", "8"},
        {"99999999999999999999", "", "100000000000000000000"},  // beyond any integer type
        {"ECC83", "ECC83", "ECC83 #2"},  // the type name's digits are not a count
        {"ecc83", "ECC83", "ecc83 #2"},
        {"spare", "6V6", "spare #2"},  // nothing to count
        {"", "ECC83", "ECC83 #1"},     // the first of a box
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nextLabel(c.last, c.type), c.next) << '"' << c.last << "\" of " << c.type;
    }
}

}  // namespace
}  // namespace ostrino::library
