#include "files/calibration_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

const std::string kDefaultFile =
    " 1000         'Va Gain\r\n"
    " 1000         'Vs Gain\r\n"
    " 1000         'Ia Gain\r\n"
    " 1000         'Is Gain\r\n"
    " 1000         'Vsupp\r\n"
    " 1000         'Vgrid Gain (40V)\r\n"
    " 1000         'Vsat\r\n"
    " 1000         'Vgrid Gain (4V)\r\n"
    " 1000         'spare\r\n"
    " 1000         'spare\r\n"
    "-1            'COM port number (negative because this is an extended file\r\n"
    " 1            'version number 1 = version 3, 2 = version 3+\r\n"
    "-1            '-1 is end of file\r\n";

// Ten factor lines of 1000 with the given lines after them; a label follows each number.
std::string calFile(const std::vector<std::string>& tail, std::size_t factors = 10) {
    std::string text;
    for (std::size_t i = 0; i < factors; ++i) {
        text += "1000   'label\r\n";
    }
    for (const auto& n : tail) {
        text += n + "   'label\r\n";
    }
    return text;
}

void writeFile(const std::string& name, const std::string& content) {
    std::ofstream(name, std::ios::binary) << content;
}

std::string readFile(const std::string& name) {
    std::ostringstream s;
    s << std::ifstream(name, std::ios::binary).rdbuf();
    return s.str();
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

TEST(CalibrationFile, NewFileHoldsTheDefaultsAndIsFoundNextTime) {
    test::ScopedWorkDir dir;
    test::ScriptedDialogs dialogs;
    CalibrationRecord cal;
    cal.factors.fill(0.0);
    ProcessCalFile(cal, "Ostrino_3p11.cal", dialogs);
    EXPECT_EQ(readFile("Ostrino_3p11.cal"), kDefaultFile);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "A new calibration file has been created");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(cal.factors, CalibrationRecord{}.factors);

    CalibrationRecord next;
    ProcessCalFile(next, "Ostrino_3p11.cal", dialogs);
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST(CalibrationFile, MigratesTheNewestOlderFileAndLeavesItInPlace) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> files;
        std::string version;
        int port, intVersion;
        double factor1;
    };
    const Case cases[] = {
        {{{"Ostrino_3p9.cal", "1012\r\n" + calFile({"-3", "2"}, 9)}}, "3p9", 3, 2, 1.012},
        {{{"Ostrino_3p8.cal", calFile({"7"})}, {"Ostrino_3p10.cal", calFile({"-5", "1"})}},
         "3p10",
         5,
         1,
         1.0},
    };
    for (const Case& c : cases) {
        test::ScopedWorkDir dir;
        for (const auto& [name, content] : c.files) {
            writeFile(name, content);
        }
        test::ScriptedDialogs dialogs;
        CalibrationRecord cal;
        ProcessCalFile(cal, "Ostrino_3p11.cal", dialogs);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "The version " + c.version +
                                                " calibration file has been used for the new "
                                                "calibration file");
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::None);
        EXPECT_EQ(cal.intCOMport, c.port);
        EXPECT_EQ(cal.intVersion, c.intVersion);
        EXPECT_EQ(cal.dblCalVar(1), c.factor1);
        for (const auto& [name, content] : c.files) {
            EXPECT_EQ(readFile(name), content);
        }
        std::string error;
        EXPECT_EQ(readFile("Ostrino_3p11.cal"), calibrationFileText(cal, error).value_or("?"));

        CalibrationRecord next;
        ProcessCalFile(next, "Ostrino_3p11.cal", dialogs);
        EXPECT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(next.factors, cal.factors);
    }
}

TEST(CalibrationFile, ReadsShortAndExtendedForms) {
    struct Case {
        std::string content;
        int versionBefore, port, version;
    };
    const Case cases[] = {
        {calFile({"4", "2"}), 1, 4, 1},  // short form: no version line
        {calFile({"4"}), 2, 4, 2},       // ... and the version stays as it was
        {calFile({"-3", "2"}), 1, 3, 2},
        {calFile({"-3", "7"}), 1, 3, 7},  // kept as read
        {"1012'a\n999\n1000\n1000\n1000\n1000\n1000\n1000\n1000\n1100\n-2\n1\n", 1, 2, 1},
    };
    for (const Case& c : cases) {
        CalibrationRecord base;
        base.intVersion = c.versionBefore;
        std::string error;
        const auto cal = parseCalibrationText(c.content, base, error);
        ASSERT_TRUE(cal) << error;
        EXPECT_EQ(cal->intCOMport, c.port);
        EXPECT_EQ(cal->intVersion, c.version);
    }
    std::string error;
    const auto cal = parseCalibrationText(cases[4].content, {}, error);
    EXPECT_EQ(cal->factors, (std::array{1.012, 0.999, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.1}));

    // Saving a short-form record produces the extended form.
    CalibrationRecord shortForm = *parseCalibrationText(calFile({"6"}), {}, error);
    std::string expected = kDefaultFile;
    expected.replace(expected.find("-1            'COM"), 2, "-6");
    EXPECT_EQ(calibrationFileText(shortForm, error), expected);
}

TEST(CalibrationFile, FactorsAreStoredTimesThousandWithTiesToEven) {
    ASSERT_EQ(0.9985 * 1000.0, 998.5);  // the ties really are exact
    ASSERT_EQ(0.9995 * 1000.0, 999.5);
    CalibrationRecord cal;
    cal.factors = {0.9985, 0.9995, 1.0125, 1.012, -0.5, -32.7685, 1, 1, 1, 1};
    cal.intCOMport = 12;
    cal.intVersion = 2;
    std::string error;
    const std::string text = calibrationFileText(cal, error).value_or("");
    EXPECT_TRUE(startsWith(text,
                           " 998          'Va Gain\r\n"
                           " 1000         'Vs Gain\r\n"
                           " 1012         'Ia Gain\r\n"
                           " 1012         'Is Gain\r\n"
                           "-500          'Vsupp\r\n"
                           "-32768        'Vgrid Gain (40V)\r\n"))
        << text;
    EXPECT_NE(text.find("\r\n-12           'COM port"), std::string::npos);
    EXPECT_NE(text.find("\r\n 2            'version"), std::string::npos);
}

TEST(CalibrationFile, ValuesTheFileCannotHoldAreRefusedAndTheFileKept) {
    test::ScopedWorkDir dir;
    writeFile("Ostrino_3p11.cal", kDefaultFile);
    struct Case {
        double factor3;
        int port;
        std::string reason;
    };
    const Case cases[] = {
        {40.0, 1, "factor 3 (Ia Gain) is 40, too large to be stored (the file holds whole"},
        {-32.769, 1, "factor 3 (Ia Gain) is -32.769, too large"},
        {1.0, 0, "port number 0 cannot be stored"},
    };
    for (const Case& c : cases) {
        CalibrationRecord cal;
        cal.dblCalVar(3) = c.factor3;
        cal.intCOMport = c.port;
        std::string error;
        EXPECT_FALSE(SaveCalFile(cal, "Ostrino_3p11.cal", error));
        EXPECT_TRUE(startsWith(
            error, "The calibration file Ostrino_3p11.cal cannot be written (" + c.reason))
            << error;
        EXPECT_EQ(readFile("Ostrino_3p11.cal"), kDefaultFile);
    }
}

TEST(CalibrationFile, DamagedContentNamesTheLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "line 1: missing, the file ends before it"},
        {calFile({}, 5), "line 6: missing"},
        {calFile({}), "line 11: missing"},
        {calFile({"-1"}), "line 12: missing"},
        {calFile({"abc"}, 2), "line 3: no number"},
        {calFile({""}, 3), "line 4: no number"},
        {calFile({"70000"}, 3),
         "line 4: 70000 is out of range (the file holds whole numbers from -32768 to 32767)"},
        {calFile({"-32769"}, 1), "line 2: -32769 is out of range"},
        {calFile({"0", "1"}), "line 11: 0 is not a port number"},
        {calFile({"-32768", "1"}), "line 11: -32768 is not a port number"},
        {calFile({"-1", "32768"}), "line 12: 32768 is out of range"},
    };
    for (const auto& [content, reason] : cases) {
        std::string error;
        EXPECT_FALSE(parseCalibrationText(content, {}, error)) << reason;
        EXPECT_TRUE(startsWith(error, reason)) << error;
    }
}

// A factor is a trim around 1: from half to twice the nominal value it is taken, beyond that
// (0 would divide the voltage readings by zero) the file counts as damaged.
TEST(CalibrationFile, FactorsThatMakeNoSenseAreRefused) {
    const std::pair<const char*, bool> cases[] = {
        {"0", false},   {"-1000", false}, {"499", false},  {"500", true},    {"900", true},
        {"1100", true}, {"2000", true},   {"2001", false}, {"32767", false},
    };
    for (const auto& [stored, accepted] : cases) {
        const std::string content = calFile({stored}, 2) + calFile({"-1", "1"}, 7);
        std::string error;
        const auto cal = parseCalibrationText(content, {}, error);
        ASSERT_EQ(cal.has_value(), accepted) << stored;
        if (accepted) {
            EXPECT_DOUBLE_EQ(cal->dblCalVar(3), std::stod(stored) / 1000.0);
        } else {
            EXPECT_EQ(error, std::string("line 3: ") + stored +
                                 " is no calibration factor (Ia Gain; the file holds factors x "
                                 "1000 from 500 to 2000)");
        }
    }

    // At start-up such a file is reported with its line, kept, and the defaults are used.
    test::ScopedWorkDir dir;
    const std::string zeroGain = calFile({"0"}, 0) + calFile({"-2", "1"}, 9);
    writeFile("Ostrino_3p11.cal", zeroGain);
    test::ScriptedDialogs dialogs;
    CalibrationRecord cal;
    cal.dblCalVar(2) = 1.05;
    ProcessCalFile(cal, "Ostrino_3p11.cal", dialogs);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(startsWith(dialogs.messages[0].text,
                           "The calibration file Ostrino_3p11.cal cannot be read (line 1: 0 is "
                           "no calibration factor (Va Gain;"))
        << dialogs.messages[0].text;
    EXPECT_EQ(cal.factors, CalibrationRecord{}.factors);
    EXPECT_EQ(readFile("Ostrino_3p11.cal"), zeroGain);
}

TEST(CalibrationFile, DamagedFileIsReportedAndLeftAlone) {
    const std::string damaged = calFile({"x1000"}, 3);
    struct Case {
        std::string damagedName;
        std::string message;
    };
    const Case cases[] = {
        {"Ostrino_3p11.cal",
         "The calibration file Ostrino_3p11.cal cannot be read (line 4: no number). The default "
         "calibration is used for this run; the file is left as it is."},
        {"Ostrino_3p10.cal",
         "The calibration file Ostrino_3p10.cal cannot be read (line 4: no number). The default "
         "calibration is used for this run; the file is left as it is and Ostrino_3p11.cal has "
         "not been created."},
    };
    for (const Case& c : cases) {
        test::ScopedWorkDir dir;
        writeFile(c.damagedName, damaged);
        writeFile("Ostrino_3p9.cal", calFile({"-4", "2"}));  // older: never reached

        CalibrationRecord cal;
        cal.dblCalVar(1) = 1.05;
        std::string error;
        EXPECT_FALSE(LoadCalFile(cal, c.damagedName, error));
        EXPECT_EQ(cal.dblCalVar(1), 1.05);  // untouched by a failed load

        test::ScriptedDialogs dialogs;
        ProcessCalFile(cal, "Ostrino_3p11.cal", dialogs);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, c.message);
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(cal.factors, CalibrationRecord{}.factors);
        EXPECT_EQ(cal.intCOMport, 1);
        EXPECT_EQ(readFile(c.damagedName), damaged);
        EXPECT_EQ(std::filesystem::exists("Ostrino_3p11.cal"), c.damagedName == "Ostrino_3p11.cal");
    }
}

TEST(CalibrationFile, FailedSaveIsReported) {
    test::ScopedWorkDir dir;
    // A folder of that name is not a calibration file, and no file can replace it.
    std::filesystem::create_directory("Ostrino_3p11.cal");
    test::ScriptedDialogs dialogs;
    CalibrationRecord cal;
    ProcessCalFile(cal, "Ostrino_3p11.cal", dialogs);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(startsWith(dialogs.messages[0].text,
                           "The calibration file Ostrino_3p11.cal cannot be written ("));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
    // Nothing else is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

}  // namespace
}  // namespace ostrino
