#include "plot/frm_save_plot_model.h"

#include <gtest/gtest.h>

#include "tests/support/recording_canvas.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

struct Rig {
    explicit Rig(const std::string& title = "Title") { model.load(title); }
    test::RecordingCanvas canvas;
    test::ScriptedDialogs dialogs;
    FrmSavePlotModel model{canvas, dialogs};
};

TEST(FrmSavePlotModel, FileNameFromTitleStaysInTheCurrentFolder) {
    const std::pair<std::string, std::string> cases[] = {
        {"Title", "Title.bmp"},
        {"EL84 Ia(Va) 2.5 W", "EL84 Ia(Va) 2.5 W.bmp"},
        {"../a\\b", ".._a_b.bmp"},
        {"x:*?\"<>|y", "x_______y.bmp"},
        {"tab\there\r\n\x7f", "tab_here___.bmp"},
        {"ÄÖ µA", "ÄÖ µA.bmp"},
    };
    for (const auto& [title, name] : cases) {
        EXPECT_EQ(FrmSavePlotModel::fileNameFromTitle(title), name) << title;
    }
}

TEST(FrmSavePlotModel, SaveWritesUnderTheTitleOrStaysOpenWithAMessage) {
    Rig r("EL84/6BQ5");
    EXPECT_EQ(r.model.lblFileName, "Save As:  EL84_6BQ5.bmp");
    r.canvas.saveError = "Permission denied";
    EXPECT_FALSE(r.model.cmdSavePlot2_Click());
    EXPECT_TRUE(r.model.visible);
    ASSERT_EQ(r.dialogs.texts(), std::vector<std::string>{"The plot could not be saved as "
                                                          "\"EL84_6BQ5.bmp\": Permission denied"});

    r.canvas.saveError.clear();
    EXPECT_TRUE(r.model.cmdSavePlot2_Click());
    EXPECT_EQ(r.canvas.savedPaths.back(), "EL84_6BQ5.bmp");
    EXPECT_FALSE(r.model.visible);
}

TEST(FrmSavePlotModel, SaveAsUsesTheDialog) {
    Rig r;
    EXPECT_FALSE(r.model.cmdSavePlot1_Click());  // cancelled
    EXPECT_TRUE(r.canvas.savedPaths.empty());
    EXPECT_TRUE(r.model.visible);
    ASSERT_EQ(r.dialogs.fileRequests.size(), 1u);
    const FileDialogRequest& q = r.dialogs.fileRequests[0];
    EXPECT_EQ(q.filter, "bitmap (*.bmp)|*.bmp");
    EXPECT_TRUE(q.save && q.promptOverwrite && q.startFolder.empty());

    r.dialogs.fileNames.push_back("/tmp/plots/a:b.bmp");  // taken as chosen
    EXPECT_TRUE(r.model.cmdSavePlot1_Click());
    EXPECT_EQ(r.canvas.savedPaths, std::vector<std::string>{"/tmp/plots/a:b.bmp"});
    EXPECT_FALSE(r.model.visible);
}

}  // namespace
}  // namespace ostrino
