#pragma once
// The console's logic with both quick tests, against the simulated instrument on a fake clock.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "common/numbers.h"
#include "link/instrument_link.h"
#include "measure/form1_logic.h"
#include "quicktest/quick_pentode.h"
#include "quicktest/quick_triode.h"
#include "sim/sim_serial_port.h"
#include "tests/support/console_rig.h"

namespace ostrino::test {

struct QuickTestRig : ConsoleRig {
    explicit QuickTestRig(sim::SimOptions options = {}) : ConsoleRig(options) {
        triode.Form_Load();
        pentode.Form_Load();
    }

    QuickTestContext context() {
        return {state.quickTest,
                state.cal,
                state.intMeasStat,
                state.blnCompliance,
                state.meas.dblDelay,
                logic.model,
                logic.run,
                com,
                link,
                clock,
                dialogs,
                beeper,
                [] { return std::string("08-12-2026 09:30:00"); }};
    }

    // Ping and the heater ramp, as "Heater on !" does.
    void heaterOn() {
        logic.run.cmdMeasStart_Click();
        ASSERT_EQ(state.intMeasStat, kHeaterOn);
        dialogs.messages.clear();
    }

    // The commands on the wire since mark, as their two-digit codes.
    std::vector<std::string> codesSince(std::size_t mark) const {
        std::vector<std::string> out;
        const std::string w = port.wire().substr(mark);
        for (std::size_t i = 0; i + 18 <= w.size(); i += 18) {
            out.push_back(w.substr(i, 2));
        }
        return out;
    }

    // The curve marker of a row of the triode test's points.
    int curve(int row) const {
        return static_cast<int>(std::lround(triode.testPoints()(row, MeasMatrix::Curve)));
    }

    QTtriode triode{context()};
    QTpentode pentode{context()};
};

// The leading number of a label ("12.5" of "12.5"); NaN when it shows none.
inline double labelNumber(const std::string& text) {
    const auto v = parseNumber(text);
    return v ? *v : std::nan("");
}

// One measured row of the matrix: Va, Ia, Vs, Is and Vg.
struct MeasuredPoint {
    double va, ia, vs, is, vg;
};

// Rows 0..N-1 of both tests' points as measured, the end marker after them.
template <std::size_t N>
void fill(QuickTestRig& r, const MeasuredPoint (&points)[N]) {
    for (MeasMatrix* m : {&r.triode.testPoints(), &r.pentode.testPoints()}) {
        for (int row = 0; row < static_cast<int>(N); ++row) {
            const MeasuredPoint& p = points[row];
            (*m)(row, MeasMatrix::Curve) = 1;
            (*m)(row, MeasMatrix::Va) = p.va;
            (*m)(row, MeasMatrix::Ia) = p.ia;
            (*m)(row, MeasMatrix::Vs) = p.vs;
            (*m)(row, MeasMatrix::Is) = p.is;
            (*m)(row, MeasMatrix::Vg) = p.vg;
        }
        (*m)(static_cast<int>(N), MeasMatrix::Curve) = 0;
    }
}

// Rows 0..N-1 composed for measuring at Va, Vs and Vg of expected and heater voltage vh, the
// end marker after them.
template <std::size_t N>
void expectComposed(const MeasMatrix& m, const double (&expected)[N][3], double vh) {
    for (int row = 0; row < static_cast<int>(N); ++row) {
        EXPECT_EQ(m(row, MeasMatrix::Curve), -1.0) << row;
        EXPECT_DOUBLE_EQ(m(row, MeasMatrix::Va), expected[row][0]) << row;
        EXPECT_DOUBLE_EQ(m(row, MeasMatrix::Vs), expected[row][1]) << row;
        EXPECT_DOUBLE_EQ(m(row, MeasMatrix::Vg), expected[row][2]) << row;
        EXPECT_DOUBLE_EQ(m(row, MeasMatrix::Vh), vh) << row;
    }
    EXPECT_EQ(m(static_cast<int>(N), MeasMatrix::Curve), 0.0);
}

// The lines of a report, each of which must end in CR LF.
inline std::vector<std::string> reportLines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "every line ends in CR LF";
            break;
        }
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

}  // namespace ostrino::test
