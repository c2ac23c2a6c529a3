// The Save Data and Pins windows, built offscreen.

#include "files/frm_save_data.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <fstream>
#include <memory>
#include <sstream>

#include "files/frm_pin.h"
#include "measure/console_views.h"
#include "tests/support/scoped_work_dir.h"
#include "tests/support/scripted_dialogs.h"

namespace ostrino {
namespace {

template <typename T>
T* child(QWidget* w, const QString& name) {
    T* c = w->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name.toStdString();
    return c;
}

std::string contents(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// Two curves of two points; nothing stored.
std::unique_ptr<ConsoleState> twoCurves() {
    auto s = std::make_unique<ConsoleState>();
    s->graph.intXcol = MeasMatrix::Va;
    s->meas.dblVar2Values = {-2, -4};
    auto& m = s->dblMeasMatrix;
    for (int r = 0; r < 4; ++r) {
        m(r, MeasMatrix::Curve) = 1 + r / 2;
        m(r, MeasMatrix::Ia) = 1.5 * r;
        m(r, MeasMatrix::Is) = 0.25 * r;
        m(r, MeasMatrix::Va) = 100 * (1 + r % 2);
    }
    m.markEmpty(MeasMatrix::kStored);
    return s;
}

TEST(FrmSaveData, EachButtonExportsClosesAndTheNextOpeningStartsAfresh) {
    test::ScopedWorkDir dir;
    auto state = twoCurves();
    SweepCaptions model;
    test::ScriptedDialogs dialogs;
    dialogs.fileNames = {"list", "block.osd", "stored.osd", "matrix.osd"};
    frmSaveData w(exportSources(*state), model, dialogs);
    EXPECT_EQ(w.windowTitle(), "Save Data");
    EXPECT_EQ(child<QGroupBox>(&w, "fraSaveData")->title(), "Save Data");
    EXPECT_EQ(child<QGroupBox>(&w, "fraParameter")->title(), "Parameter: ");
    const char* const captions[] = {"Ia",     "Is",        "fitted Ia", "dIa/dV",
                                    "dV/dIa", "Ia stored", "Is stored"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(child<QRadioButton>(&w, "Option1_" + QString::number(i))->text(), captions[i]);
    }
    auto* addText = child<QCheckBox>(&w, "chkAddText");
    EXPECT_EQ(addText->text(), "Add Text");
    auto* saveList = child<QPushButton>(&w, "cmdSaveList");
    auto* saveBlock = child<QPushButton>(&w, "cmdSaveBlock");
    auto* saveMatrix = child<QPushButton>(&w, "cmdSaveMeasMX");
    EXPECT_EQ(saveList->text(), "Save as List");
    EXPECT_EQ(saveBlock->text(), "Save as Block");
    EXPECT_EQ(saveMatrix->text(), "Save Measurement Matrix");

    w.show();
    child<QRadioButton>(&w, "Option1_1")->click();
    addText->click();
    saveList->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(contents("list"), listText(exportSources(*state), model, 1, false).value());

    w.show();
    EXPECT_TRUE(child<QRadioButton>(&w, "Option1_0")->isChecked());
    EXPECT_TRUE(addText->isChecked());
    saveBlock->click();
    EXPECT_EQ(contents("block.osd"), blockText(exportSources(*state), model, 0, true).value());

    w.show();
    child<QRadioButton>(&w, "Option1_6")->click();
    saveList->click();
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{kNoDataMessage});
    EXPECT_FALSE(w.isVisible());

    w.show();
    saveMatrix->click();
    EXPECT_EQ(contents("matrix.osd"), measMatrixText(state->dblMeasMatrix));
}

TEST(FrmPin, OpeningFillsTheListsAndChoicesReachThePins) {
    test::ScopedWorkDir dir;
    auto state = std::make_unique<ConsoleState>();
    state->intPins[0] = 1;
    test::ScriptedDialogs dialogs;
    frmPin w({state->intPins, state->blnPinsForm}, dialogs);
    EXPECT_EQ(w.windowTitle(), "Pins");
    EXPECT_EQ(child<QGroupBox>(&w, "fraConnections")->title(), "Connections");
    EXPECT_EQ(child<QLabel>(&w, "lblPin_0")->text(), "TOP");
    EXPECT_EQ(child<QLabel>(&w, "lblPin_12")->text(), "12");
    EXPECT_EQ(child<QPushButton>(&w, "cmdPinsClear")->text(), "Clear");

    w.show();
    EXPECT_TRUE(state->blnPinsForm);
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{kNewPinFileMessage});
    auto* top = child<QComboBox>(&w, "cboPin_0");
    auto* pin7 = child<QComboBox>(&w, "cboPin_7");
    EXPECT_EQ(top->count(), kPinNames);
    EXPECT_EQ(top->itemText(14), "n.c.");
    EXPECT_EQ(top->currentText(), "anode");

    pin7->setCurrentIndex(3);
    EXPECT_EQ(state->intPins[7], 3);
    EXPECT_EQ(state->intPins[0], 1);
    child<QPushButton>(&w, "cmdPinsClear")->click();
    EXPECT_EQ(top->currentIndex(), 0);
    EXPECT_EQ(pin7->currentIndex(), 0);
    EXPECT_EQ(state->intPins[7], 0);

    w.close();
    EXPECT_FALSE(state->blnPinsForm);
    state->intPins[2] = 3;  // as a setup file would
    w.show();
    EXPECT_EQ(child<QComboBox>(&w, "cboPin_2")->currentText(), "grid");
}

}  // namespace
}  // namespace ostrino
