#pragma once
// The one print layout of every text file the consoles write.
//
//  - a string item is written unchanged;
//  - a number item is written in the file number form, preceded by a space when it is
//    not negative (in place of the sign) and always followed by a space;
//  - items written one after the other simply follow each other (";" in the layout);
//  - zone() pads with spaces to the next 14-column print zone (columns 1, 15, 29, ...);
//  - tab(n) pads with spaces up to column n, or ends the line and indents to column n
//    when the line is already past column n;
//  - endLine() writes CR LF.
// Columns count from 1.

#include <string>
#include <string_view>

namespace ostrino {

class PrintWriter {
  public:
    PrintWriter& str(std::string_view s);
    PrintWriter& num(double v);
    PrintWriter& zone();
    PrintWriter& tab(int column);
    PrintWriter& endLine();

    // Column (1-based) at which the next character would be written.
    int column() const { return column_; }
    const std::string& text() const { return text_; }

    // The item form of a number on its own: " 12 ", "-.25 ".
    static std::string numberItem(double v);

  private:
    std::string text_;
    int column_ = 1;
};

}  // namespace ostrino
