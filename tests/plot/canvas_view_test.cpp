#include "platform/qt/canvas_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

namespace ostrino {
namespace {

TEST(CanvasView, PressesArriveInPlotCoordinates) {
    CanvasView w;
    w.resize(750, 700);  // 0.5 pixel per unit
    w.show();
    std::vector<UserPoint> presses;
    w.press = [&](double x, double y) { presses.push_back({x, y}); };
    for (QPointF at : {QPointF(100, 600), QPointF(375, 350)}) {
        QMouseEvent e(QEvent::MouseButtonPress, at, w.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &e);
    }
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_NEAR(presses[0].x, 0, 1e-9);
    EXPECT_NEAR(presses[0].y, 0, 1e-9);
    EXPECT_NEAR(presses[1].x, 550, 1e-9);
    EXPECT_NEAR(presses[1].y, 500, 1e-9);

    // Letting go on the graph is a click; dragged off it first, it is none.
    int clicks = 0;
    w.click = [&] { ++clicks; };
    for (QPointF at : {QPointF(375, 350), QPointF(800, 350)}) {
        QMouseEvent e(QEvent::MouseButtonRelease, at, w.mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &e);
    }
    EXPECT_EQ(clicks, 1);
}

// The image outlives repaints (what "Keep Plot" draws over); only a new size replaces it.
TEST(CanvasView, OnlyANewSizeStartsANewImage) {
    CanvasView w;
    int redraws = 0;
    w.redraw = [&] { ++redraws; };
    w.resize(750, 700);
    w.show();
    QApplication::processEvents();
    const int afterShow = redraws;
    EXPECT_GE(afterShow, 1);

    w.canvas().line(0, 0, 1000, 0);
    w.repaint();
    w.resize(750, 700);
    EXPECT_EQ(redraws, afterShow);
    EXPECT_EQ(w.canvas().image().pixel(300, 600), qRgb(0, 0, 0));

    w.resize(900, 600);
    EXPECT_EQ(redraws, afterShow + 1);
    const QImage& fresh = w.canvas().image();
    EXPECT_EQ(fresh.size(), QSize(900, 600));
    QImage blank(fresh.size(), fresh.format());
    blank.fill(Qt::white);
    EXPECT_TRUE(fresh == blank);
}

}  // namespace
}  // namespace ostrino
