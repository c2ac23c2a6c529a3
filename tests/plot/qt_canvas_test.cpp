#include "platform/qt/qt_canvas.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>
#include <cstring>
#include <filesystem>

#include "tests/support/scoped_work_dir.h"

namespace ostrino {
namespace {

constexpr Rgb kRed{255, 0, 0};
const QRgb kWhitePixel = qRgb(255, 255, 255);

bool isRed(QRgb p) {
    return qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80;
}

std::ptrdiff_t filesHere() {
    return std::distance(std::filesystem::directory_iterator("."), {});
}

// At 750 x 700 pixels there is 0.5 pixel per unit and plot (0, 0) is pixel (100, 600).
TEST(QtCanvas, ShapesLandOnTheMappedPixels) {
    QtCanvas c(QSize(750, 700));
    c.setForeground(kRed);
    c.line(0, 0, 1000, 0);
    c.setFill({0, 0, 255}, true);
    c.circle(500, 500, 20);  // centre (350, 350), radius 10 pixels
    c.setFill({0, 0, 255}, false);
    c.circle(900, 500, 20);
    c.setLineStyle(LineStyle::Dot);
    c.line(0, 1000, 1000, 1000);
    const QImage& img = c.image();
    EXPECT_TRUE(isRed(img.pixel(300, 600)));
    EXPECT_EQ(img.pixel(300, 598), kWhitePixel);
    EXPECT_EQ(img.pixel(350, 350), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(550, 350), kWhitePixel);  // outline only
    int dots = 0;
    for (int x = 100; x < 600; ++x) {
        dots += isRed(img.pixel(x, 100)) ? 1 : 0;
    }
    EXPECT_GT(dots, 150);
    EXPECT_LT(dots, 350);

    c.clear({0, 0, 255});
    EXPECT_EQ(c.image().pixel(300, 600), qRgb(0, 0, 255));
}

TEST(QtCanvas, FontsFallBackTextScalesAndHangsFromItsCorner) {
    for (const char* face : {"MS Sans Serif", "Comic Sans Ms"}) {
        const QFontInfo info(QtCanvas::makeFont(face, 8.25, false, 2.0));
        EXPECT_FALSE(info.family().isEmpty()) << face;
        EXPECT_NEAR(info.pointSizeF(), 16.5, 0.5) << face;
    }
    QtCanvas small(QSize(600, 560)), large(QSize(1200, 1120));
    EXPECT_NEAR(large.textWidth("Ostrino V3.11") / small.textWidth("Ostrino V3.11"), 1.0, 0.1);

    QtCanvas c(QSize(750, 700));
    c.text(0, 0, "Ostrino");
    const QImage& img = c.image();
    int outside = 0, inside = 0;
    for (int x = 95; x < 160; ++x) {
        for (int y = 580; y < 620; ++y) {
            if (img.pixel(x, y) != kWhitePixel) {
                (y < 600 || x < 100 ? outside : inside) += 1;
            }
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, 20);
}

TEST(QtCanvas, SavesBitmapsAndPngsWhole) {
    test::ScopedWorkDir dir;
    QtCanvas c(QSize(750, 700));
    c.setForeground(kRed);
    c.line(0, 0, 1000, 0);
    std::string error;
    ASSERT_TRUE(c.saveBitmap("plot.bmp", error)) << error;
    ASSERT_TRUE(c.saveBitmap("plot.PNG", error)) << error;
    for (const auto& [name, magic] : {std::pair{"plot.bmp", "BM"}, {"plot.PNG", "\x89PNG"}}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.read(static_cast<qint64>(std::strlen(magic))), QByteArray(magic)) << name;
        const QImage back(name);
        ASSERT_EQ(back.size(), QSize(750, 700)) << name;
        EXPECT_TRUE(isRed(back.pixel(300, 600))) << name;
    }
    EXPECT_EQ(filesHere(), 2);  // no temporary files left

    EXPECT_FALSE(c.saveBitmap("no-such-folder/plot.bmp", error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_EQ(filesHere(), 2);
}

}  // namespace
}  // namespace ostrino
