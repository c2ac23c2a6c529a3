#include "model/spice_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "common/text_file.h"
#include "tests/model/family.h"
#include "tests/support/scoped_work_dir.h"

namespace ostrino::model {
namespace {

// Every digit of a voltage, so that ngspice and the model see the same number.
std::string exact(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

// The currents ngspice prints for a deck run in batch mode, by vector name ("i(va3)").
std::map<std::string, double> runNgspice(const std::string& deck) {
    std::map<std::string, double> values;
    std::string error;
    if (!writeFileAtomically("deck.cir", deck, error)) {
        ADD_FAILURE() << error;
        return values;
    }
    const std::string command = std::string(OSTRINO_NGSPICE) + " -b deck.cir 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> out(::popen(command.c_str(), "r"), ::pclose);
    if (!out) {
        ADD_FAILURE() << "cannot run " << command;
        return values;
    }
    char line[512];
    while (std::fgets(line, sizeof line, out.get()) != nullptr) {
        char name[64];
        double v = 0.0;
        if (std::sscanf(line, "%63s = %lf", name, &v) == 2) {
            values[name] = v;
        }
    }
    return values;
}

// The exported subcircuit, driven by ideal sources at every measured set point, draws the
// model's own currents.
TEST(Spice, NgspiceReproducesTheModelAtTheMeasuredSetPoints) {
    ASSERT_STRNE(OSTRINO_NGSPICE, "") << "ngspice was not found when the build was configured; "
                                         "scripts/deps.sh installs it";
    struct Case {
        ModelKind kind;
        std::vector<double> truth;
        test::FamilyRecipe recipe;
    };
    const test::FamilyRecipe triode{{0, -1, -2, -3}, 2.0, 300.0, 16};
    const std::vector<Case> cases{
        {ModelKind::KorenTriode, {100.0, 1.4, 1060.0, 600.0, 300.0}, triode},
        {ModelKind::DempwolfTriode, {2.242e-3, 3.4, 103.2, 1.26}, triode},
        {ModelKind::KorenPentode,
         {19.0, 1.35, 692.0, 2720.0, 200.0, 12.0},
         {{0, -4, -8, -12}, 0.0, 300.0, 16, 250.0}},
    };
    test::ScopedWorkDir dir;
    for (const Case& c : cases) {
        const ModelInfo& info = modelInfo(c.kind);
        SCOPED_TRACE(info.title);
        const PointSet points = test::makeFamily(c.kind, c.truth, c.recipe);
        const FitResult fit = fitModel(c.kind, points);
        ASSERT_TRUE(fit.ok) << fit.message;
        const ModelRecord record = makeRecord(fit, points, "Test valve", "today");
        const std::string name = spiceName(record.title, c.kind);
        std::string error;
        ASSERT_TRUE(saveSpiceFile("valve.inc", record, name, error)) << error;

        std::string deck = "round trip\n.include valve.inc\n";
        for (std::size_t k = 0; k < points.size(); ++k) {
            const MeasuredPoint& p = points[k];
            const std::string n = std::to_string(k);
            deck += "Va" + n + " a" + n + " 0 DC " + exact(p.va) + "\n";
            deck += "Vg" + n + " g" + n + " 0 DC " + exact(p.vg) + "\n";
            if (info.pentode) {
                deck += "Vs" + n + " s" + n + " 0 DC " + exact(p.vs) + "\n";
                deck += "X" + n + " a" + n + " s" + n + " g" + n + " 0 " + name + "\n";
            } else {
                deck += "X" + n + " a" + n + " g" + n + " 0 " + name + "\n";
            }
        }
        deck += ".control\nset numdgt=12\nop\n";
        for (std::size_t k = 0; k < points.size(); ++k) {
            deck += "print i(Va" + std::to_string(k) + ")\n";
            if (info.pentode) {
                deck += "print i(Vs" + std::to_string(k) + ")\n";
            }
        }
        deck += ".endc\n.end\n";
        const std::map<std::string, double> spice = runNgspice(deck);

        auto near = [](double spiceAmps, double modelMa) {
            return std::abs(-spiceAmps * 1000.0 - modelMa) <= 0.001 * std::abs(modelMa) + 1e-9;
        };
        int compared = 0;
        for (std::size_t k = 0; k < points.size(); ++k) {
            const MeasuredPoint& p = points[k];
            const std::string n = std::to_string(k);
            const ModelCurrents m = modelCurrents(c.kind, fit.parameters, p.va, p.vs, p.vg);
            ASSERT_TRUE(spice.count("i(va" + n + ")")) << "ngspice printed no i(va" << n << ")";
            EXPECT_TRUE(near(spice.at("i(va" + n + ")"), m.anode))
                << "point " << k << ": " << -spice.at("i(va" + n + ")") * 1000.0 << " vs "
                << m.anode;
            if (info.pentode) {
                ASSERT_TRUE(spice.count("i(vs" + n + ")"));
                EXPECT_TRUE(near(spice.at("i(vs" + n + ")"), m.screen)) << "screen, point " << k;
            }
            ++compared;
        }
        EXPECT_EQ(compared, static_cast<int>(points.size()));
    }
}

TEST(Spice, SubcircuitNamesAreSafeInEverySimulator) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"ECC82 #1", "ECC82__1"},
        {"300B", "V300B"},
        {"el84/6BQ5 ", "EL84_6BQ5"},
        {"", "KOREN_TRIODE"},
        {"\xc3\xa9\xc3\xa9", "KOREN_TRIODE"},
    };
    for (const auto& [title, name] : cases) {
        EXPECT_EQ(spiceName(title, ModelKind::KorenTriode), name) << title;
    }
}

}  // namespace
}  // namespace ostrino::model
