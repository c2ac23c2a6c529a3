// The triode quick-test window alone, offscreen, on the console's logic against the simulated
// instrument.

#include "quicktest/frm_quick_triode.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "tests/quicktest/quick_rig.h"
#include "tests/support/widgets.h"

namespace ostrino {
namespace {

using Rig = test::QuickTestRig;
using test::child;
using test::shownText;
using test::typeInto;

QStringList frameTitles(QWidget* w) {
    QStringList out;
    for (auto* g : w->findChildren<QGroupBox*>()) {
        out << g->title();
    }
    return out;
}

TEST(QuickTestWindow, TriodeControls) {
    Rig c;
    frmQTtriode window(c.context(), {}, nullptr);
    QWidget* w = &window;
    EXPECT_EQ(w->objectName(), "frmQTtriode");
    EXPECT_EQ(w->windowTitle(), "Quick Test triode");
    EXPECT_EQ(frameTitles(w), QStringList({"Settings", "Currents", "Derivatives"}));
    for (const char* box : {"txtVa1", "txtVa1Proc", "txtVa1Step", "txtVa2", "txtVa2Proc",
                            "txtVa2Step", "txtVg", "txtVgProc", "txtVgStep", "txtIa1Nom",
                            "txtIa2Nom", "txtRaNom", "txtGmNom", "txtMuNom", "txtTitle"}) {
        child<QLineEdit>(w, box);
    }
    for (const char* label :
         {"lblVa1", "lblVa2", "lblIa1", "lblIa2", "lblIa1Proc", "lblIa2Proc", "lblVa1Ia1",
          "lblRa1Proc", "lblIa1Vg", "lblGm1Proc", "lblMu1", "lblMu1Proc", "lblVa2Ia2", "lblRa2Proc",
          "lblIa2Vg", "lblGm2Proc", "lblMu2", "lblMu2Proc"}) {
        EXPECT_EQ(shownText(w, label), "- - -") << label;
    }
    EXPECT_EQ(shownText(w, "lblVa1Ia1ohm"), "(kohm)");
    EXPECT_EQ(shownText(w, "lblVa2Ia2ohm"), "(kohm)");
    EXPECT_EQ(shownText(w, "lblIa1VgmA"), "(mA/V)");
    EXPECT_EQ(shownText(w, "lblIa2VgmA"), "(mA/V)");
    EXPECT_EQ(child<QProgressBar>(w, "ProgressBar1")->maximum(), 150);
    EXPECT_EQ(child<QProgressBar>(w, "ProgressBar2")->maximum(), 150);
    EXPECT_EQ(child<QPushButton>(w, "cmdTest")->text(), "Test");
    EXPECT_EQ(child<QPushButton>(w, "cmdReport")->text(), "Report");
    EXPECT_EQ(child<QCheckBox>(w, "chkPentode")->text(), "pentode");
    EXPECT_FALSE(child<QCheckBox>(w, "chkPentode")->isChecked());
    EXPECT_EQ(child<QCheckBox>(w, "chkTriode")->text(), "triode");
    EXPECT_EQ(child<QCheckBox>(w, "chkAppend")->text(), "Append");
    EXPECT_EQ(shownText(w, "txtVa1"), "250");
    EXPECT_EQ(shownText(w, "txtVgStep"), "1");

    // An entry commits on Enter: 300 V leaves no room for a swing on this hardware.
    typeInto(w, "txtVa1", "300");
    EXPECT_EQ(shownText(w, "txtVa1Step"), "0");
    EXPECT_EQ(shownText(w, "txtVa1Proc"), "0");
    ASSERT_EQ(c.dialogs.messages.size(), 1u);
    EXPECT_EQ(c.dialogs.messages[0].text,
              "Some values have been adjusted to accomodate maximum bias ranges");
    // Leaving a box commits it even unchanged: a nominal value of 0 is pointed out each time.
    c.dialogs.messages.clear();
    auto* nominal = child<QLineEdit>(w, "txtIa1Nom");
    for (int leave = 0; leave < 2; ++leave) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(nominal, &out);
    }
    EXPECT_EQ(c.dialogs.messages.size(), 2u);
    // Its context menu does not take the focus away for good: nothing is committed.
    c.dialogs.messages.clear();
    nominal->setText("12");
    QFocusEvent toMenu(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(nominal, &toMenu);
    EXPECT_TRUE(c.dialogs.messages.empty());
    EXPECT_EQ(c.state.quickTest.dblQTTIa1Nom, 0.0);
    EXPECT_EQ(nominal->text(), "12");
    child<QCheckBox>(w, "chkAppend")->click();
    EXPECT_TRUE(c.state.quickTest.chkAppendTriode);
}

}  // namespace
}  // namespace ostrino
