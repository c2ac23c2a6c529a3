// The window "Distortion Analysis" on its own, offscreen, over a family of curves of a
// three-halves-law triode: its controls, an analysis, and the load line it publishes while
// it is open.

#include "distortion/frm_dist.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <cmath>

#include "common/numbers.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

// Anode characteristics, mu 20: one curve per grid voltage -8..0 V, Va 0..400 V in 10 V.
MeasMatrix triodeFamily() {
    MeasMatrix m;
    int row = 0;
    for (int curve = 1; curve <= 9; ++curve) {
        const double vg = curve - 9.0;
        for (double va = 0; va <= 400; va += 10) {
            const double drive = vg + va / 20.0;
            m(row, MeasMatrix::Curve) = curve;
            m(row, MeasMatrix::Va) = va;
            m(row, MeasMatrix::Vg) = vg;
            m(row, MeasMatrix::Ia) = drive > 0 ? 0.2 * std::pow(drive, 1.5) : 0.0;
            ++row;
        }
    }
    m(row, MeasMatrix::Curve) = 0;
    return m;
}

template <typename T>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

TEST(DistortionWindowAlone, AnalysesAndPublishesTheLoadLineWhileOpen) {
    test::ScopedWorkDir dir;
    const MeasMatrix curves = triodeFamily();
    DistortionOverlay overlay;
    test::ScriptedDialogs dialogs;
    int redraws = 0;
    QPointer<frmDist> w = new frmDist(
        curves, overlay, dialogs, [&] { ++redraws; }, nullptr);
    EXPECT_EQ(w->objectName(), "frmDist");
    EXPECT_EQ(w->windowTitle(), "Distortion Analysis");
    EXPECT_FALSE(overlay.visible);

    w->show();
    EXPECT_TRUE(overlay.visible);
    EXPECT_GE(redraws, 1);
    EXPECT_EQ(child<QLabel>(w, "lblGain")->text(), "- - -");

    // 10 kohm on 300 V, biased at -4 V, 2 V of signal.
    auto* rload = child<QLineEdit>(w, "txtRload");
    rload->setText("10");
    Q_EMIT rload->returnPressed();
    EXPECT_EQ(overlay.dblDistRload, 10);
    child<QLineEdit>(w, "txtVsign")->setText("2");
    child<QPushButton>(w, "cmdAnalyze")->click();
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.texts()[0];
    EXPECT_FALSE(overlay.blnError);
    const double gain =
        parseNumber(child<QLabel>(w, "lblGain")->text().toStdString()).value_or(NAN);
    EXPECT_GT(gain, 5);
    EXPECT_LT(gain, 20);  // below the amplification factor
    EXPECT_LT(overlay.dblDistVaMin, overlay.dblDistVaMax);

    // Minimised it stays open; closed it takes the load line off and deletes itself.
    QHideEvent minimised;
    QApplication::sendEvent(w, &minimised);
    EXPECT_TRUE(overlay.visible);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(overlay.visible);
    EXPECT_TRUE(w.isNull());
}

}  // namespace
}  // namespace ostrino
