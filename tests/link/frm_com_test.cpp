// The communication window alone, offscreen, against the in-process simulator.

#include "link/frm_com.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <optional>
#include <vector>

#include "tests/support/console_rig.h"
#include "tests/support/widgets.h"

namespace ostrino {
namespace {

using test::child;

QString labelText(QWidget* w, const char* name) {
    return test::shownText(w, name);
}

TEST(FrmCom, ControlsCarryTheirNamesAndCaptions) {
    test::ConsoleRig rig;
    rig.state.cal.intCOMport = 3;
    frmCom w(rig.state.cal, rig.com, rig.link, nullptr);
    EXPECT_EQ(w.windowTitle(), "Communications");
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    auto* cbo = child<QComboBox>(&w, "cboComNumber");
    ASSERT_NE(cbo, nullptr);
    ASSERT_EQ(cbo->count(), 10);
    EXPECT_EQ(cbo->itemText(0), "Com Port 1");
    EXPECT_EQ(cbo->itemText(9), "Com Port 10");
    EXPECT_EQ(cbo->currentIndex(), 2);  // intCOMport - 1
    EXPECT_EQ(child<QPushButton>(&w, "cmdPing")->text(), "ping");
    EXPECT_EQ(child<QPushButton>(&w, "cmdEsc")->text(), "Send esc");
    EXPECT_EQ(child<QPushButton>(&w, "cmdCloseCom")->text(), "Close Comport");
    EXPECT_EQ(child<QCheckBox>(&w, "chkDebug")->text(), "debug");
    EXPECT_FALSE(child<QCheckBox>(&w, "chkDebug")->isChecked());
    EXPECT_EQ(child<QCheckBox>(&w, "chkcorrection")->text(), "Voltage Corr.");
    EXPECT_TRUE(child<QCheckBox>(&w, "chkcorrection")->isChecked());
    for (const char* name : {"lblValueVa", "lblIntegerVs", "lblStringVg", "lblValueVf", "lblStr1",
                             "lblInt8", "lblVal4", "lblActualAverage"}) {
        EXPECT_EQ(labelText(&w, name), "---") << name;
    }
    EXPECT_EQ(labelText(&w, "lblIaRetGainHex"), "--");

    // choosing a port changes the port number for the next opening
    cbo->setCurrentIndex(5);
    EXPECT_EQ(rig.state.cal.intCOMport, 6);
    child<QCheckBox>(&w, "chkcorrection")->setChecked(false);
    EXPECT_FALSE(rig.com.chkcorrection);
}

// The machine's serial devices beside the port list, read again whenever the window shows.
TEST(FrmCom, SerialDevicesAreListedWhole) {
    test::ConsoleRig rig;
    std::vector<SerialDeviceInfo> devices;
    frmCom w(rig.state.cal, rig.com, rig.link, nullptr, nullptr, [&devices] { return devices; });
    auto* list = child<SerialDeviceList>(&w, "lstSerialDevices");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->lines(), QStringList{"No serial devices found."});
    devices = {{"/dev/ttyS0", "", std::nullopt, std::nullopt},
               {"/dev/ttyUSB0", "FT232R USB UART", 0x0403, 0x6001}};
    w.showOnTop();
    EXPECT_EQ(list->lines(),
              (QStringList{"/dev/ttyS0  -", "/dev/ttyUSB0  FT232R USB UART  USB 0403:6001"}));
    for (const QString& line : list->lines()) {
        EXPECT_LE(list->fontMetrics().horizontalAdvance(line), list->viewport()->width())
            << line.toStdString();
    }
    EXPECT_GE(list->viewport()->height(), 2 * list->fontMetrics().height());
}

}  // namespace
}  // namespace ostrino
