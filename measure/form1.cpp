#include "measure/form1.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ostrino {

Form1::Form1(ConsoleApp& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("Form1");
    setWindowTitle("Ostrino (V3.11)");

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* misc = new QGroupBox("Miscellaneous");
    misc->setObjectName("fraMiscellaneous");
    auto* miscLayout = new QVBoxLayout(misc);
    auto* cmdDebugCom = new QPushButton("Debug");
    cmdDebugCom->setObjectName("cmdDebugCom");
    miscLayout->addWidget(cmdDebugCom);
    auto* note = new QLabel(
        "Open \"Debug\" to talk to the instrument: \"ping\" sends the settings and the ping and "
        "shows every field of the exchange.");
    note->setWordWrap(true);
    miscLayout->addWidget(note);
    layout->addWidget(misc);
    layout->addStretch(1);
    setCentralWidget(central);
    resize(520, 240);

    connect(cmdDebugCom, &QPushButton::clicked, this, [this] { cmdDebugCom_Click(); });
}

void Form1::cmdDebugCom_Click() {
    if (!frmCom_) {
        frmCom_ = new frmCom(
            *app_.state, app_.com, app_.link, [this] { app_.state->intMeasStat = kGround; }, this);
    }
    frmCom_->showOnTop();
}

}  // namespace ostrino
