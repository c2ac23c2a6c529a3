#include "platform/qt/qt_canvas.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>
#include <cmath>
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

// A star of lines from one centre (every octant, steep and flat, level and upright), each
// its own stroke, then a zigzag curve with circle markers drawn as one batch.
void drawStarAndCurve(QtCanvas& c, bool batch, LineStyle style) {
    c.setForeground(kRed);
    c.setLineStyle(style);
    for (int a = 0; a < 360; a += 15) {
        const double rad = a * 3.14159265358979 / 180.0;
        if (batch) {
            c.beginBatch();
        }
        c.line(500, 500, 500 + 300 * std::cos(rad), 500 + 270 * std::sin(rad));
        if (batch) {
            c.endBatch();
        }
    }
    if (batch) {
        c.beginBatch();
    }
    double lastX = 0, lastY = 100;
    for (int i = 0; i <= 40; ++i) {
        const double x = i * 25.0, y = 100 + (i % 2) * 37 + i * 11;
        c.setLineStyle(LineStyle::Solid);
        c.setFill(kWhite, true);
        c.circle(x, y, 7);
        if (i > 0) {
            c.setLineStyle(style);
            c.line(lastX, lastY, x, y);
        }
        lastX = x;
        lastY = y;
    }
    if (batch) {
        c.endBatch();
    }
}

int redPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            n += isRed(img.pixel(x, y)) ? 1 : 0;
        }
    }
    return n;
}

// Red pixels red in both.
int commonRedPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            n += isRed(a.pixel(x, y)) && isRed(b.pixel(x, y)) ? 1 : 0;
        }
    }
    return n;
}

// Red pixels of "of" that have no red pixel of "near" within one pixel.
int strayPixels(const QImage& of, const QImage& near) {
    int stray = 0;
    for (int y = 0; y < of.height(); ++y) {
        for (int x = 0; x < of.width(); ++x) {
            if (!isRed(of.pixel(x, y))) {
                continue;
            }
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy) {
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    found = near.valid(x + dx, y + dy) && isRed(near.pixel(x + dx, y + dy));
                }
            }
            stray += found ? 0 : 1;
        }
    }
    return stray;
}

// Batched curves (circles first, thin lines straight into the image) must look like the
// same curves drawn stroke by stroke: the same lines within a pixel, the same markers.
TEST(QtCanvas, BatchedCurveLooksLikeTheCurveDrawnStrokeByStroke) {
    for (const QSize size : {QSize(636, 561), QSize(1500, 1400)}) {  // pens 1 and 2 wide
        QtCanvas strokes(size), batched(size), dotted(size);
        drawStarAndCurve(strokes, false, LineStyle::Solid);
        drawStarAndCurve(batched, true, LineStyle::Solid);
        drawStarAndCurve(dotted, true, LineStyle::Dot);
        const QImage& a = strokes.image();
        const QImage& b = batched.image();
        const QImage& d = dotted.image();
        const int red = redPixels(a);
        EXPECT_GT(red, 2000) << size.width();
        EXPECT_NEAR(redPixels(b), red, red / 20.0) << size.width();
        EXPECT_EQ(strayPixels(b, a), 0) << size.width();
        EXPECT_EQ(strayPixels(a, b), 0) << size.width();
        // Only where a slanted line steps may the two choose a different pixel.
        EXPECT_GT(commonRedPixels(a, b), 0.75 * red) << size.width();
        // Dotted lines lie on the solid ones and leave about half of them out.
        EXPECT_EQ(strayPixels(d, a), 0) << size.width();
        EXPECT_LT(redPixels(d), 0.8 * red) << size.width();
        EXPECT_GT(redPixels(d), 0.3 * red) << size.width();
    }
}

// A curve's marker covers the segments drawn before it, in a batch as stroke by stroke.
TEST(QtCanvas, BatchedMarkersCoverTheSegmentsDrawnBeforeThem) {
    for (bool batch : {false, true}) {
        QtCanvas c(QSize(750, 700));  // plot (0, 0) is pixel (100, 600), 0.5 pixel per unit
        if (batch) {
            c.beginBatch();
        }
        c.setFill(kWhite, true);
        c.line(0, 500, 1000, 500);  // a long segment through the next marker
        c.setForeground(kRed);
        c.circle(500, 500, 30);  // drawn after it: its white inside hides the segment
        if (batch) {
            c.endBatch();
        }
        const QImage& img = c.image();
        EXPECT_EQ(img.pixel(350, 350), kWhitePixel) << batch;    // the segment under the marker
        EXPECT_EQ(img.pixel(200, 350), qRgb(0, 0, 0)) << batch;  // the segment beside it
    }
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

// Texts are laid out once and copied after that: the copy must follow the colour, the font
// and the image size of the moment, not those of the first time.
TEST(QtCanvas, RepeatedTextsFollowColourFontAndSize) {
    const auto inkBox = [](const QImage& img, const auto& isInk) {
        QRect box;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                if (isInk(img.pixel(x, y))) {
                    box |= QRect(x, y, 1, 1);
                }
            }
        }
        return box;
    };
    const auto blue = [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 80 && qGreen(p) < 80; };

    QtCanvas c(QSize(750, 700));
    c.setForeground(kRed);
    c.text(0, 1000, "-12");
    c.setForeground({0, 0, 255});
    c.text(600, 1000, "-12");
    QImage img = c.image();
    const QRect red = inkBox(img, isRed), inBlue = inkBox(img, blue);
    ASSERT_FALSE(red.isEmpty());
    ASSERT_FALSE(inBlue.isEmpty());
    EXPECT_EQ(inBlue.size(), red.size());
    EXPECT_EQ(inBlue.topLeft() - red.topLeft(), QPoint(300, 0));  // 600 units, 0.5 px each

    c.clear(kWhite);
    c.setFont("MS Sans Serif", 16.5, true);
    c.text(0, 1000, "-12");
    EXPECT_GT(inkBox(c.image(), blue).width(), red.width() * 3 / 2);

    c.resize(QSize(1500, 1400));
    c.setFont("MS Sans Serif", 8.25, false);
    c.text(0, 1000, "-12");
    EXPECT_GT(inkBox(c.image(), blue).width(), red.width() * 3 / 2);
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
