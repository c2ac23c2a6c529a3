#include "common/print_writer.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "common/numbers.h"

namespace ostrino {
namespace {

std::string crlfLines(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

double rounded(double v, int n) {
    return Decimals(v, n).value();
}

TEST(PrintWriter, NumberItems) {
    const struct {
        double in;
        const char* item;
    } cases[] = {
        {0.5, " .5 "}, {-0.25, "-.25 "},  {12, " 12 "},           {0, " 0 "},       {-0.0, " 0 "},
        {-1, "-1 "},   {1e-5, " 1E-05 "}, {-1.5e16, "-1.5E+16 "}, {1000, " 1000 "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrintWriter::numberItem(c.in), c.item) << c.in;
        PrintWriter w;
        w.str("x").num(c.in);
        EXPECT_EQ(w.text(), std::string("x") + c.item);
        EXPECT_EQ(w.column(), static_cast<int>(std::string(c.item).size()) + 2);
    }
}

TEST(PrintWriter, ZoneMovesToTheNextZoneStrictlyAfterTheColumn) {
    const struct {
        int from;
        int to;
    } cases[] = {{1, 15}, {2, 15}, {14, 15}, {15, 29}, {16, 29}, {28, 29}, {29, 43}, {30, 43}};
    for (const auto& c : cases) {
        PrintWriter w;
        w.str(std::string(static_cast<std::size_t>(c.from - 1), 'x')).zone();
        EXPECT_EQ(w.column(), c.to) << "from " << c.from;
        EXPECT_EQ(w.text(), std::string(static_cast<std::size_t>(c.from - 1), 'x') +
                                std::string(static_cast<std::size_t>(c.to - c.from), ' '))
            << "from " << c.from;
    }
}

TEST(PrintWriter, TabPadsOrWrapsToANewLine) {
    const struct {
        int from;
        int tab;
        const char* written;  // what tab() appends
        int column;
    } cases[] = {
        {1, 1, "", 1},
        {1, 0, "", 1},  // below column 1 counts as column 1
        {5, 15, "          ", 15},
        {15, 15, "", 15},
        {16, 15, "\r\n              ", 15},
        {16, 1, "\r\n", 1},
        {40, 16, "\r\n               ", 16},
    };
    for (const auto& c : cases) {
        const std::string before(static_cast<std::size_t>(c.from - 1), 'x');
        PrintWriter w;
        w.str(before).tab(c.tab);
        EXPECT_EQ(w.text(), before + c.written) << "from " << c.from << " tab " << c.tab;
        EXPECT_EQ(w.column(), c.column) << "from " << c.from << " tab " << c.tab;
    }
}

TEST(PrintWriter, ColumnsRestartAfterEachLineAndCountCharacters) {
    PrintWriter w;
    w.str("abc").endLine();
    EXPECT_EQ(w.column(), 1);
    w.str(
        "Is (\xC2\xB5"
        "A)");  // a two-byte character takes one column
    EXPECT_EQ(w.column(), 8);
    w.zone().str("|");
    EXPECT_EQ(w.text(),
              "abc\r\nIs (\xC2\xB5"
              "A)       |");
}

// The layouts below are built the way the data exports build them.

struct Curve {
    double step;
    double x[3];
    double y[3];
};

const Curve kCurves[] = {
    {-2.0, {100.001, 200, 299.996}, {1.2341, 5.678, 10.5004}},
    {-4.04, {100, 200, 300}, {0.25, 2.1246, 6.75}},
};

void writeHeader(PrintWriter& w) {
    w.str(" ").str("Va").str(" (V)  ").tab(16).str("Ia (mA)").endLine();
}

TEST(PrintWriterLayouts, ListFile) {
    PrintWriter w;
    writeHeader(w);
    w.str(" ").endLine();
    for (const Curve& c : kCurves) {
        w.str(" ").str("Vg").str(" = ").num(rounded(c.step, 1)).str(" V").endLine();
        for (int k = 0; k < 3; ++k) {
            w.num(rounded(c.x[k], 2)).zone().num(rounded(c.y[k], 3)).endLine();
        }
        w.str(" ").endLine();
    }
    EXPECT_EQ(w.text(), crlfLines({
                            " Va (V)        Ia (mA)",
                            " ",
                            " Vg = -2  V",
                            " 100           1.234 ",
                            " 200           5.678 ",
                            " 300           10.5 ",
                            " ",
                            " Vg = -4  V",
                            " 100           .25 ",
                            " 200           2.125 ",
                            " 300           6.75 ",
                            " ",
                        }));
}

TEST(PrintWriterLayouts, BlockFile) {
    PrintWriter w;
    writeHeader(w);
    for (int c = 1; c <= 2; ++c) {
        w.tab(15 * c + 1).str("Vg").str(" = ").num(rounded(kCurves[c - 1].step, 1)).str(" V");
    }
    w.str(" ").endLine();
    for (int k = 0; k < 3; ++k) {
        w.num(rounded(kCurves[0].x[k], 2)).str("  ");
        for (int c = 1; c <= 2; ++c) {
            w.tab(15 * c).num(rounded(kCurves[c - 1].y[k], 3));
        }
        w.str(" ").endLine();
    }
    EXPECT_EQ(w.text(), crlfLines({
                            " Va (V)        Ia (mA)",
                            "               Vg = -2  V     Vg = -4  V ",
                            " 100           1.234          .25  ",
                            " 200           5.678          2.125  ",
                            " 300           10.5           6.75  ",
                        }));
}

TEST(PrintWriterLayouts, BlockLineWithAWideSweptValueWraps) {
    PrintWriter w;
    w.num(rounded(12345678.914, 2)).str("  ").tab(15).num(1.5).str(" ").endLine();
    EXPECT_EQ(w.text(), crlfLines({" 12345678.91   ", "               1.5  "}));
}

struct MatrixRow {
    int point;
    int curve;
    double ia, is, vh, vg, vs, va;
};

void printLineInFile(PrintWriter& w, const MatrixRow& r) {
    w.tab(1).str(std::to_string(r.point)).tab(10).str(std::to_string(r.curve));
    w.tab(20).num(rounded(r.ia, 2)).tab(35).num(rounded(r.is, 2));
    w.tab(50).num(rounded(r.vg, 2)).tab(65).num(rounded(r.va, 2));
    w.tab(80).num(rounded(r.vs, 2)).tab(95).num(rounded(r.vh, 2)).endLine();
}

TEST(PrintWriterLayouts, MeasurementMatrixLines) {
    PrintWriter w;
    w.str("Point    Curve     Ia (mA)        Is (mA)       Vg (V)")
        .str("          Va (V)         Vs (V)         Vf (V)")
        .endLine();
    printLineInFile(w, {1, 1, 1.2345, 0.4499, 6.3, -2, 100, 100});
    printLineInFile(w, {2, 1, 5.678, 1.2, 6.3, -2.001, 200, 200});
    EXPECT_EQ(w.text(),
              crlfLines({
                  "Point    Curve     Ia (mA)        Is (mA)       Vg (V)          Va (V)         "
                  "Vs (V)         Vf (V)",
                  "1        1          1.23           .45           -2              100            "
                  "100            6.3 ",
                  "2        1          5.68           1.2           -2              200            "
                  "200            6.3 ",
              }));
}

TEST(PrintWriterLayouts, CalibrationFile) {
    const char* labels[] = {
        "'Va Gain",          "'Vs Gain", "'Ia Gain",         "'Is Gain", "'Vsupp",
        "'Vgrid Gain (40V)", "'Vsat",    "'Vgrid Gain (4V)", "'spare",   "'spare",
    };
    PrintWriter w;
    for (const char* label : labels) {
        w.num(toInteger(1.0 * 1000).value()).zone().str(label).endLine();
    }
    w.num(-1).zone().str("'COM port number (negative because this is an extended file").endLine();
    w.num(1).zone().str("'version number 1 = version 3, 2 = version 3+").endLine();
    w.num(-1).zone().str("'-1 is end of file").endLine();
    EXPECT_EQ(w.text(), crlfLines({
                            " 1000         'Va Gain",
                            " 1000         'Vs Gain",
                            " 1000         'Ia Gain",
                            " 1000         'Is Gain",
                            " 1000         'Vsupp",
                            " 1000         'Vgrid Gain (40V)",
                            " 1000         'Vsat",
                            " 1000         'Vgrid Gain (4V)",
                            " 1000         'spare",
                            " 1000         'spare",
                            "-1            'COM port number (negative because this is an "
                            "extended file",
                            " 1            'version number 1 = version 3, 2 = version 3+",
                            "-1            '-1 is end of file",
                        }));
}

}  // namespace
}  // namespace ostrino
