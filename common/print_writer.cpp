#include "common/print_writer.h"

#include "common/numbers.h"

namespace ostrino {

namespace {

constexpr int kZoneWidth = 14;

// Columns count characters, so a UTF-8 sequence takes one column.
bool startsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

}  // namespace

PrintWriter& PrintWriter::str(std::string_view s) {
    text_.append(s);
    for (char c : s) {
        if (c == '\n') {
            column_ = 1;
        } else if (c != '\r' && startsCharacter(c)) {
            ++column_;
        }
    }
    return *this;
}

PrintWriter& PrintWriter::num(double v) {
    return str(numberItem(v));
}

PrintWriter& PrintWriter::zone() {
    const int next = ((column_ - 1) / kZoneWidth + 1) * kZoneWidth + 1;
    text_.append(static_cast<std::size_t>(next - column_), ' ');
    column_ = next;
    return *this;
}

PrintWriter& PrintWriter::tab(int column) {
    if (column < 1) {
        column = 1;
    }
    if (column_ > column) {
        endLine();
    }
    text_.append(static_cast<std::size_t>(column - column_), ' ');
    column_ = column;
    return *this;
}

PrintWriter& PrintWriter::endLine() {
    text_.append("\r\n");
    column_ = 1;
    return *this;
}

std::string PrintWriter::numberItem(double v) {
    // The sign takes the place of the leading space; -0 counts as not negative.
    if (v < 0) {
        return fileNumberText(v) + " ";
    }
    return " " + fileNumberText(v) + " ";
}

}  // namespace ostrino
