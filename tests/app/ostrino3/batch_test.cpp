// Headless runs of Ostrino_3p11 against ostrino-sim on a pseudo-terminal.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <vector>

#include "library/library.h"
#include "tests/support/program_run.h"
#include "tests/support/sim_process.h"

namespace {

// The demonstration setup with fewer points per curve, so a run takes seconds.
QString quickSetup(const QTemporaryDir& dir) {
    QFile demo(OSTRINO_DEMO_SETUP);
    EXPECT_TRUE(demo.open(QIODevice::ReadOnly));
    QByteArray text = demo.readAll();
    text.replace(" 30           Variable 1 number of intervals",
                 " 5            Variable 1 number of intervals");
    const QString path = dir.filePath("quick.oss");
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text);
    return path;
}

// The demonstration setup (it ends at its first marker) with a stored curve and an actual
// curve of two points each.
QByteArray withCurves(QByteArray text) {
    text.truncate(text.lastIndexOf("-1 "));
    text += " 0            marker\r\n";
    for (int i = 0; i < 1 + 22 + 2 + 11; ++i) {  // the quick-test block
        text += " 1            quick test\r\n";
    }
    text += " 0            marker\r\n";
    text += " 3            number of points in stored curve\r\n";
    text += " 1   5000   0   6300   0   100000   100000 \r\n";
    text += " 1   7000   0   6300   0   200000   200000 \r\n";
    text += " 0   0   0   0   0   0   0 \r\n";
    text += " 0            marker\r\n";
    text += " 3            number of points in actual curve\r\n";
    text += " 1   9000   0   6300   0   100000   100000 \r\n";
    text += " 1   9500   0   6300   0   200000   200000 \r\n";
    text += " 0   0   0   0   0   0   0 \r\n";
    text += "-1            end\r\n";
    return text;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& content) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

using ostrino::test::ProgramRun;

ProgramRun runConsole(const QStringList& args, const QString& folder) {
    return ostrino::test::runProgram(OSTRINO_CONSOLE_PATH, args, folder);
}

int dataLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return -1;
    }
    return static_cast<int>(f.readAll().count("\r\n")) - 1;  // without the header
}

TEST(Batch, MeasuresTheWholeFamilyAndWritesAllOutputs) {
    QTemporaryDir dir;
    const QString setup = quickSetup(dir);
    ostrino::test::SimProcess sim(OSTRINO_SIM_PATH, {"--line-rate"});
    ASSERT_FALSE(sim.device().empty());
    const ProgramRun r =
        runConsole({"--serial", QString::fromStdString(sim.device()), "--batch", setup,
                    "--save-data", "out.osd", "--save-plot", "out.bmp", "--save-setup", "out.oss"},
                   dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(dataLines(dir.filePath("out.osd")), 7 * 6);
    QFile bmp(dir.filePath("out.bmp"));
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    EXPECT_EQ(bmp.read(2), QByteArray("BM"));
    QFile oss(dir.filePath("out.oss"));
    ASSERT_TRUE(oss.open(QIODevice::ReadOnly));
    EXPECT_TRUE(oss.readAll().contains(" 43           number of points in actual curve"));
}

TEST(Batch, PulledCableExitsOneAndKeepsWhatWasMeasured) {
    QTemporaryDir dir;
    const QString setup = quickSetup(dir);
    // settings, ping, ten heater steps, settings, then eight points before the silence
    ostrino::test::SimProcess sim(OSTRINO_SIM_PATH, {"--fault", "silent", "--fault-after", "21"});
    ASSERT_FALSE(sim.device().empty());
    const ProgramRun r = runConsole({"--serial", QString::fromStdString(sim.device()), "--batch",
                                     setup, "--save-data", "out.osd"},
                                    dir.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Fix Connection with Ostrino and Restart Measurement"));
    EXPECT_EQ(dataLines(dir.filePath("out.osd")), 8);
}

// A setup holding values outside their limits is refused before anything is sent: the
// instrument here would not even echo the first character.
TEST(Batch, SetupOutsideItsLimitsIsRefusedBeforeAnythingIsSent) {
    QTemporaryDir dir;
    QFile demo(OSTRINO_DEMO_SETUP);
    ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
    QByteArray text = demo.readAll();
    text.replace(" 300000       Variable 1 Stop", " 450000       Variable 1 Stop");
    text.replace(" 6300         Constant 2", " 30000        Constant 2");
    // no points at all: never a run that "succeeds" without measuring
    text.replace(" 30           Variable 1 number", "-5            Variable 1 number");
    QFile out(dir.filePath("hot.oss"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text);
    out.close();
    ostrino::test::SimProcess sim(OSTRINO_SIM_PATH, {"--fault", "silent", "--fault-after", "0"});
    ASSERT_FALSE(sim.device().empty());
    const ProgramRun r = runConsole({"--serial", QString::fromStdString(sim.device()), "--batch",
                                     "hot.oss", "--save-data", "out.osd"},
                                    dir.path());
    EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("hot.oss, line 13: Var1 Stop value has to be less than 300\n"))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(
        "hot.oss, line 14: The number of steps in Var1 has to be larger than one\n"));
    EXPECT_TRUE(r.err.contains("hot.oss, line 17: Const2 has to be less than 19.5\n"));
    EXPECT_FALSE(r.err.contains("Fix Connection"));
    EXPECT_FALSE(QFile::exists(dir.filePath("out.osd")));
}

// A switch-off that fails after a complete sweep: the data are all there, but the heater may
// still be on, and the run is no success.
TEST(Batch, FailedHeaterOffExitsOneAndSaysTheHeaterMayBeOn) {
    QTemporaryDir dir;
    const QString setup = quickSetup(dir);
    // settings, ping, ten heater steps, settings, 42 points and the end of the sweep
    ostrino::test::SimProcess sim(OSTRINO_SIM_PATH, {"--fault", "silent", "--fault-after", "56"});
    ASSERT_FALSE(sim.device().empty());
    const ProgramRun r = runConsole({"--serial", QString::fromStdString(sim.device()), "--batch",
                                     setup, "--save-data", "out.osd"},
                                    dir.path());
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("The heater may still be on: switching it off has failed."))
        << r.err.toStdString();
    EXPECT_EQ(dataLines(dir.filePath("out.osd")), 7 * 6);
}

// A run that fails before its first point writes no data and no plot (files of those names
// stay as they were) and says so; the saved setup keeps its stored curve and holds no actual
// curve, since this run measured none.
TEST(Batch, FailureBeforeTheFirstPointWritesNoDataAndKeepsTheStoredCurve) {
    QFile demo(OSTRINO_DEMO_SETUP);
    ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
    const QByteArray setupText = withCurves(demo.readAll());
    struct Case {
        const char* what;
        int answered;  // commands the instrument answers before it falls silent; -1: no port
    };
    const Case cases[] = {{"no port", -1}, {"ping", 0}, {"heater ramp", 4}};
    for (const Case& c : cases) {
        QTemporaryDir dir;
        writeAll(dir.filePath("curves.oss"), setupText);
        writeAll(dir.filePath("out.osd"), "older data\r\n");
        std::optional<ostrino::test::SimProcess> sim;
        QString device = dir.filePath("no-such-device");
        if (c.answered >= 0) {
            sim.emplace(OSTRINO_SIM_PATH,
                        std::vector<std::string>{"--fault", "silent", "--fault-after",
                                                 std::to_string(c.answered)});
            ASSERT_FALSE(sim->device().empty());
            device = QString::fromStdString(sim->device());
        }
        const ProgramRun r =
            runConsole({"--serial", device, "--batch", "curves.oss", "--save-data", "out.osd",
                        "--save-plot", "out.bmp", "--save-setup", "saved.oss"},
                       dir.path());
        EXPECT_EQ(r.exitCode, 1) << c.what;
        EXPECT_TRUE(
            r.err.contains("No point has been measured; the data file out.osd and the "
                           "plot out.bmp have not been written."))
            << c.what << ": " << r.err.toStdString();
        EXPECT_EQ(readAll(dir.filePath("out.osd")), QByteArray("older data\r\n")) << c.what;
        EXPECT_FALSE(QFile::exists(dir.filePath("out.bmp"))) << c.what;
        const QByteArray saved = readAll(dir.filePath("saved.oss"));
        EXPECT_TRUE(
            saved.contains(" 3            number of points in stored curve\r\n"
                           " 1   5000   0   6300   0   100000   100000 \r\n"
                           " 1   7000   0   6300   0   200000   200000 \r\n"))
            << c.what;
        EXPECT_TRUE(saved.contains(" 1            number of points in actual curve\r\n")) << c.what;
        EXPECT_FALSE(saved.contains(" 9000 ")) << c.what;
    }
}

TEST(Batch, UnreadableSetupExitsTwo) {
    QTemporaryDir dir;
    QFile bad(dir.filePath("bad.oss"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(" 19500        external heater voltage (*1000)\r\n");
    bad.close();
    const ProgramRun r = runConsole({"--simulate", "--batch", "bad.oss"}, dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("bad.oss")) << r.err.toStdString();
    EXPECT_EQ(runConsole({"--save-data", "x.osd"}, dir.path()).exitCode, 2);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// --library-add: what the run measured goes into the library with its setup, a sweep with
// its points (and the model fitted to it) and a quick test with its figures too.
TEST(BatchLibrary, StoresWhatWasMeasured) {
    QTemporaryDir dir;
    const QString setup = quickSetup(dir);
    struct Case {
        const char* label;
        bool quickTest;
        std::size_t points;
        bool fit;  // --fit-model triode
    };
    const Case cases[] = {{"ECC82 #3", false, 7 * 6, false},
                          {"ECC82 #4", true, 5, false},
                          {"ECC82 #5", false, 7 * 6, true}};
    for (const Case& c : cases) {
        QStringList args = {"--simulate",    "--batch", setup,    "--library", "valves.sqlite",
                            "--library-add", c.label,   "--note", "box A"};
        args << (c.quickTest ? QStringList{"--quick-test"} : QStringList{"--valve-type", "ECC82"});
        if (c.fit) {
            args << "--fit-model"
                 << "triode";
        }
        const ProgramRun r = runConsole(args, dir.path());
        EXPECT_EQ(r.exitCode, 0) << c.label << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString("(ECC82, %1) in the valve library").arg(c.label)))
            << r.err.toStdString();
    }
    auto library =
        ostrino::library::Library::open(dir.filePath("valves.sqlite").toStdString(), {false, 5000});
    ASSERT_TRUE(library) << library.error().message;
    auto records = library.value().records({});
    ASSERT_TRUE(records);
    ASSERT_EQ(records.value().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& rec = records.value()[i].record;
        EXPECT_EQ(rec.label, cases[i].label);
        EXPECT_EQ(rec.valveType, "ECC82");  // the second one takes the type of the first
        EXPECT_EQ(rec.note, "box A");
        EXPECT_EQ(rec.console, "Ostrino_3p11 3.11");
        EXPECT_EQ(rec.points.size(), cases[i].points);
        EXPECT_EQ(rec.quickTest.empty(), !cases[i].quickTest);
        EXPECT_EQ(rec.modelJson.has_value(), cases[i].fit);
        if (cases[i].fit) {
            EXPECT_NE(rec.modelJson->find("\"model\""), std::string::npos) << *rec.modelJson;
        }
        EXPECT_NE(rec.setupText.find(" 5            Variable 1 number of intervals"),
                  std::string::npos);
    }
}

// A library file that cannot be used loses no measurement: the data file is written, the
// message says so, the library file is left alone and the exit status is 3.
TEST(BatchLibrary, UnusableLibraryKeepsTheDataFile) {
    QTemporaryDir dir;
    const QString setup = quickSetup(dir);
    writeAll(dir.filePath("valves.sqlite"), "not a database\n");
    const ProgramRun r =
        runConsole({"--simulate", "--batch", setup, "--save-data", "out.osd", "--library",
                    "valves.sqlite", "--library-add", "ECC82 #1", "--valve-type", "ECC82"},
                   dir.path());
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_EQ(dataLines(dir.filePath("out.osd")), 7 * 6);
    EXPECT_TRUE(r.err.contains("The measurement has not been stored in the valve library."))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("is not a valve library")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("The measurement is kept in the data file out.osd."))
        << r.err.toStdString();
    EXPECT_EQ(readAll(dir.filePath("valves.sqlite")), QByteArray("not a database\n"));
}
