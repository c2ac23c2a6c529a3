#include "plot/frm_save_plot.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "platform/qt/qt_canvas.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

TEST(FrmSavePlotWindow, SaveWritesTheTitleBitmapHereAndUnloads) {
    test::ScopedWorkDir dir;
    QtCanvas canvas(QSize(300, 280));
    canvas.setForeground({0, 0, 255});
    canvas.line(-200, 500, 1300, 500);
    test::ScriptedDialogs dialogs;
    QPointer<frmSavePlot> w = new frmSavePlot(canvas, dialogs, "../EL84: Ia");
    w->show();
    EXPECT_EQ(w->windowTitle(), "Save Plot");
    ASSERT_NE(w->findChild<QGroupBox*>("frmPlot"), nullptr);
    EXPECT_EQ(w->findChild<QLabel*>("lblFileName")->text(), "Save As:  .._EL84_ Ia.bmp");
    EXPECT_EQ(w->findChild<QPushButton*>("cmdSavePlot1")->text(), "Save As ...");
    auto* save = w->findChild<QPushButton*>("cmdSavePlot2");
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->text(), "Save");

    save->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    const QImage saved(".._EL84_ Ia.bmp", "BMP");
    ASSERT_EQ(saved.size(), QSize(300, 280));
    EXPECT_EQ(saved.pixel(150, 140), qRgb(0, 0, 255));
}

}  // namespace
}  // namespace ostrino
