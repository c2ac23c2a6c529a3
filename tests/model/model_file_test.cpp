#include "model/model_file.h"

#include <gtest/gtest.h>

#include "common/text_file.h"
#include "tests/support/scoped_work_dir.h"

namespace ostrino::model {
namespace {

ModelRecord pentode() {
    ModelRecord r;
    r.kind = ModelKind::KorenPentode;
    r.parameters = {19.000000000000004, 1.35, 692.1, 2720.0, 200.0, 0.1 + 0.2};
    r.rmsMa = 0.05;
    r.rmsPercent = 0.035;
    r.worstMa = 0.21;
    r.title = "EL84 \"matched\" \xc3\xa9";
    r.date = "2024-05-01";
    r.conditions = "10 curves, 500 points; Va 2 .. 300 V";
    return r;
}

TEST(ModelFile, WhatIsSavedOpensTheSame) {
    test::ScopedWorkDir dir;
    const ModelRecord saved = pentode();
    std::string error;
    ASSERT_TRUE(saveModelFile("el84.json", saved, error)) << error;
    const ModelFileResult opened = openModelFile("el84.json");
    ASSERT_TRUE(opened.record) << opened.error;
    const ModelRecord& r = *opened.record;
    EXPECT_EQ(r.kind, saved.kind);
    EXPECT_EQ(r.parameters, saved.parameters);  // every digit
    EXPECT_EQ(r.rmsMa, saved.rmsMa);
    EXPECT_EQ(r.rmsPercent, saved.rmsPercent);
    EXPECT_EQ(r.worstMa, saved.worstMa);
    EXPECT_EQ(r.title, saved.title);
    EXPECT_EQ(r.date, saved.date);
    EXPECT_EQ(r.conditions, saved.conditions);

    // The keys other programs read.
    const std::string text = *readWholeFile("el84.json", error);
    for (const char* key : {"\"model\": \"koren-pentode\"", "\"kg2\": 2720", "\"rms_ma\"",
                            "\"rms_percent\"", "\"worst_ma\""}) {
        EXPECT_NE(text.find(key), std::string::npos) << key;
    }
}

TEST(ModelFile, AMinimalFileWrittenByHandOpens) {
    const ModelFileResult r = parseModelJson(
        R"({"model": "triode", "parameters": {"kvb": 300, "mu": 100, "ex": 1.4, "kg1": 1060,
            "kp": 600, "extra": "ignored"}, "note": [1, 2]})");
    ASSERT_TRUE(r.record) << r.error;
    EXPECT_EQ(r.record->kind, ModelKind::KorenTriode);
    EXPECT_EQ(r.record->parameters, (std::vector<double>{100, 1.4, 1060, 600, 300}));
}

TEST(ModelFile, ADamagedFileGetsAMessage) {
    const std::string tooDeep = std::string(100000, '[') + std::string(100000, ']');
    const std::string full = modelJson(pentode());
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", "damaged or not JSON"},
        {full.substr(0, full.size() / 2), "damaged or not JSON"},
        {"\x89PNG\r\n\x1a\n", "damaged or not JSON"},
        {tooDeep, "no JSON object"},
        {"[]", "no JSON object"},
        {R"({"parameters": {}})", "names no model"},
        {R"({"model": 3})", "names no model"},
        {R"({"model": "spline"})", "\"spline\" is unknown"},
        {R"({"model": "triode"})", "no \"parameters\""},
        {R"({"model": "triode", "parameters": {"mu": 100, "ex": 1.4, "kg1": 1060, "kp": 600}})",
         "\"kvb\" is missing"},
        {R"({"model": "dempwolf", "parameters": {"G": 0.002, "C": -3, "mu": 100, "gamma": 1.3}})",
         "\"C\" is not a positive number"},
        {R"({"model": "dempwolf", "parameters": {"G": "2m", "C": 3, "mu": 100, "gamma": 1.3}})",
         "\"G\" is not a positive number"},
        {R"({"model": "dempwolf", "parameters": {"G": 1e999, "C": 3, "mu": 100, "gamma": 1.3}})",
         "damaged"},
        {R"({"model": "dempwolf", "parameters": {"G": 0.002, "C": 3, "mu": 100, "gamma": 1.3},
             "rms_ma": -1})",
         "\"rms_ma\" is not a number of 0 or more"},
        {R"({"model": "dempwolf", "parameters": {"G": 0.002, "C": 3, "mu": 100, "gamma": 1.3},
             "title": 12})",
         "\"title\" is not a text"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text.substr(0, 60));
        const ModelFileResult r = parseModelJson(text);
        EXPECT_FALSE(r.record);
        EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
    }

    test::ScopedWorkDir dir;
    const ModelFileResult missing = openModelFile("no-such-model.json");
    EXPECT_FALSE(missing.record);
    EXPECT_NE(missing.error.find("cannot be read"), std::string::npos) << missing.error;
}

}  // namespace
}  // namespace ostrino::model
