#include "link/frm_com.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ostrino {

namespace {

QLabel* caption(const QString& text) {
    auto* l = new QLabel(text);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLabel* heading(const QString& text) {
    auto* l = new QLabel(text);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

}  // namespace

frmCom::frmCom(CalibrationRecord& cal, FrmComModel& model, InstrumentLink& link,
               std::function<void()> afterEsc, QWidget* parent, SerialDeviceList::Source devices)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      cal_(cal),
      model_(model),
      link_(link),
      afterEsc_(std::move(afterEsc)) {
    setObjectName("frmCom");
    setWindowTitle("Communications");

    auto* outer = new QVBoxLayout(this);
    auto* frame = new QGroupBox("Communication Debug");
    frame->setObjectName("fraCommunicationDebug");
    outer->addWidget(frame);
    auto* layout = new QVBoxLayout(frame);

    // Port and actions.
    auto* controls = new QHBoxLayout;
    cboComNumber_ = new QComboBox;
    cboComNumber_->setObjectName("cboComNumber");
    for (int n = 1; n <= 10; ++n) {
        cboComNumber_->addItem(QString("Com Port %1").arg(n));
    }
    cboComNumber_->setAccessibleName("Com port");
    controls->addWidget(cboComNumber_);
    auto* cmdPing = new QPushButton("ping");
    cmdPing->setObjectName("cmdPing");
    auto* cmdEsc = new QPushButton("Send esc");
    cmdEsc->setObjectName("cmdEsc");
    auto* cmdCloseCom = new QPushButton("Close Comport");
    cmdCloseCom->setObjectName("cmdCloseCom");
    controls->addWidget(cmdPing);
    controls->addWidget(cmdEsc);
    controls->addWidget(cmdCloseCom);
    controls->addStretch(1);
    chkDebug_ = new QCheckBox("debug");
    chkDebug_->setObjectName("chkDebug");
    chkcorrection_ = new QCheckBox("Voltage Corr.");
    chkcorrection_->setObjectName("chkcorrection");
    controls->addWidget(chkDebug_);
    controls->addWidget(chkcorrection_);
    layout->addLayout(controls);

    // What the port numbers may be: the serial devices of the machine.
    auto* devicesRow = new QHBoxLayout;
    lstSerialDevices_ = new SerialDeviceList(std::move(devices));
    auto* devicesCaption = new QLabel("Serial devices:");
    devicesCaption->setBuddy(lstSerialDevices_);
    devicesCaption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    devicesRow->addWidget(devicesCaption, 0, Qt::AlignTop);
    devicesRow->addWidget(lstSerialDevices_, 1);
    layout->addLayout(devicesRow);

    // Characters on the wire.
    auto* wire = new QGridLayout;
    wire->addWidget(caption("Sent:"), 0, 0);
    lblStringSend_ = valueLabel("lblStringSend", model_.lblStringSend);
    wire->addWidget(lblStringSend_, 0, 1);
    wire->addWidget(caption("Echo:"), 1, 0);
    lblStringEcho_ = valueLabel("lblStringEcho", model_.lblStringEcho);
    wire->addWidget(lblStringEcho_, 1, 1);
    wire->setColumnStretch(1, 1);
    layout->addLayout(wire);

    // Set point of the last command.
    auto* setGroup = new QGroupBox("Set point");
    auto* setGrid = new QGridLayout(setGroup);
    static const char* const kSetNames[4] = {"Va", "Vs", "Vg", "Vf"};
    setGrid->addWidget(heading("Value"), 0, 1);
    setGrid->addWidget(heading("Integer"), 0, 2);
    setGrid->addWidget(heading("Hex"), 0, 3);
    for (std::size_t f = 0; f < 4; ++f) {
        const int row = static_cast<int>(f) + 1;
        const std::string name = kSetNames[f];
        setGrid->addWidget(caption(QString::fromStdString(name)), row, 0);
        lblValue_[f] = valueLabel(("lblValue" + name).c_str(), model_.lblValue[f]);
        lblInteger_[f] = valueLabel(("lblInteger" + name).c_str(), model_.lblInteger[f]);
        lblString_[f] = valueLabel(("lblString" + name).c_str(), model_.lblString[f]);
        setGrid->addWidget(lblValue_[f], row, 1);
        setGrid->addWidget(lblInteger_[f], row, 2);
        setGrid->addWidget(lblString_[f], row, 3);
    }

    // Settings string.
    auto* settingsGroup = new QGroupBox("Settings");
    auto* settingsGrid = new QGridLayout(settingsGroup);
    settingsGrid->addWidget(caption("Ia range:"), 0, 0);
    lblIaGain_ = valueLabel("lblIaGain", model_.lblIaGain);
    settingsGrid->addWidget(lblIaGain_, 0, 1);
    settingsGrid->addWidget(caption("Is range:"), 1, 0);
    lblIsGain_ = valueLabel("lblIsGain", model_.lblIsGain);
    settingsGrid->addWidget(lblIsGain_, 1, 1);
    settingsGrid->addWidget(caption("Averaging:"), 2, 0);
    lblAverage_ = valueLabel("lblAverage", model_.lblAverage);
    settingsGrid->addWidget(lblAverage_, 2, 1);
    settingsGrid->addWidget(caption("Compliance:"), 3, 0);
    lblCompliance_ = valueLabel("lblCompliance", model_.lblCompliance);
    settingsGrid->addWidget(lblCompliance_, 3, 1);
    settingsGrid->setRowStretch(4, 1);

    auto* upper = new QHBoxLayout;
    upper->addWidget(setGroup, 2);
    upper->addWidget(settingsGroup, 1);
    layout->addLayout(upper);

    // Result of the last measurement or ping.
    auto* resultGroup = new QGroupBox("Result");
    auto* resultGrid = new QGridLayout(resultGroup);
    static const char* const kFieldNames[8] = {"Ia", "Ia (2nd)", "Is",   "Is (2nd)",
                                               "Va", "Vs",       "Vsup", "Vneg"};
    resultGrid->addWidget(heading("Hex"), 0, 1);
    resultGrid->addWidget(heading("Number"), 0, 2);
    resultGrid->addWidget(heading("Value"), 0, 3);
    for (std::size_t n = 0; n < 8; ++n) {
        const int row = static_cast<int>(n) + 1;
        const std::string index = std::to_string(n + 1);
        resultGrid->addWidget(caption(kFieldNames[n]), row, 0);
        lblStr_[n] = valueLabel(("lblStr" + index).c_str(), model_.lblStr[n]);
        lblInt_[n] = valueLabel(("lblInt" + index).c_str(), model_.lblInt[n]);
        lblVal_[n] = valueLabel(("lblVal" + index).c_str(), model_.lblVal[n]);
        resultGrid->addWidget(lblStr_[n], row, 1);
        resultGrid->addWidget(lblInt_[n], row, 2);
        resultGrid->addWidget(lblVal_[n], row, 3);
    }
    resultGrid->addWidget(caption("Status"), 9, 0);
    lblStat_ = valueLabel("lblStat", model_.lblStat);
    resultGrid->addWidget(lblStat_, 9, 1);

    auto* rangeGroup = new QGroupBox("Returned ranges");
    auto* rangeGrid = new QGridLayout(rangeGroup);
    rangeGrid->addWidget(heading("Index"), 0, 1);
    rangeGrid->addWidget(heading("Gain"), 0, 2);
    rangeGrid->addWidget(caption("Ia"), 1, 0);
    lblIaRetGainHex_ = valueLabel("lblIaRetGainHex", model_.lblIaRetGainHex);
    lblIaRetGainDec_ = valueLabel("lblIaRetGainDec", model_.lblIaRetGainDec);
    rangeGrid->addWidget(lblIaRetGainHex_, 1, 1);
    rangeGrid->addWidget(lblIaRetGainDec_, 1, 2);
    rangeGrid->addWidget(caption("Is"), 2, 0);
    lblIsRetGainHex_ = valueLabel("lblIsRetGainHex", model_.lblIsRetGainHex);
    lblIsRetGainDec_ = valueLabel("lblIsRetGainDec", model_.lblIsRetGainDec);
    rangeGrid->addWidget(lblIsRetGainHex_, 2, 1);
    rangeGrid->addWidget(lblIsRetGainDec_, 2, 2);
    rangeGrid->addWidget(caption("Averaged"), 3, 0);
    lblActualAverage_ = valueLabel("lblActualAverage", model_.lblActualAverage);
    rangeGrid->addWidget(lblActualAverage_, 3, 1);
    rangeGrid->setRowStretch(4, 1);

    auto* lower = new QHBoxLayout;
    lower->addWidget(resultGroup, 2);
    lower->addWidget(rangeGroup, 1);
    layout->addLayout(lower);

    // Wiring.
    connect(cboComNumber_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int idx) {
        if (refreshing_ || idx < 0) {
            return;
        }
        // Takes effect the next time the port is opened.
        model_.cboComNumber = idx;
        cal_.intCOMport = idx + 1;
    });
    connect(chkDebug_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_) {
            model_.chkDebug = on;
        }
    });
    connect(chkcorrection_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_) {
            model_.chkcorrection = on;
        }
    });
    connect(cmdPing, &QPushButton::clicked, this, [this] { link_.DoPing(); });
    connect(cmdEsc, &QPushButton::clicked, this, [this] {
        link_.SndEsc();
        if (afterEsc_) {
            afterEsc_();
        }
    });
    connect(cmdCloseCom, &QPushButton::clicked, this, [this] { link_.closePort(); });

    model_.cboComNumber = std::clamp(cal_.intCOMport - 1, 0, 9);
    model_.refresh = [this] {
        refreshFromModel();
        if (isVisible()) {
            repaint();
        }
    };
    refreshFromModel();
}

frmCom::~frmCom() {
    model_.refresh = nullptr;
}

QLabel* frmCom::valueLabel(const char* objectName, const std::string& text) {
    auto* l = new QLabel(QString::fromStdString(text));
    l->setObjectName(objectName);
    l->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QString(18, QChar('0'))) / 2);
    return l;
}

void frmCom::showOnTop() {
    lstSerialDevices_->refresh();
    show();
    raise();
    activateWindow();
}

void frmCom::refreshFromModel() {
    refreshing_ = true;
    cboComNumber_->setCurrentIndex(std::clamp(model_.cboComNumber, 0, 9));
    chkDebug_->setChecked(model_.chkDebug);
    chkcorrection_->setChecked(model_.chkcorrection);
    auto set = [](QLabel* l, const std::string& s) { l->setText(QString::fromStdString(s)); };
    set(lblStringSend_, model_.lblStringSend);
    set(lblStringEcho_, model_.lblStringEcho);
    for (std::size_t f = 0; f < 4; ++f) {
        set(lblValue_[f], model_.lblValue[f]);
        set(lblInteger_[f], model_.lblInteger[f]);
        set(lblString_[f], model_.lblString[f]);
    }
    for (std::size_t n = 0; n < 8; ++n) {
        set(lblStr_[n], model_.lblStr[n]);
        set(lblInt_[n], model_.lblInt[n]);
        set(lblVal_[n], model_.lblVal[n]);
    }
    set(lblStat_, model_.lblStat);
    set(lblIaRetGainHex_, model_.lblIaRetGainHex);
    set(lblIaRetGainDec_, model_.lblIaRetGainDec);
    set(lblIsRetGainHex_, model_.lblIsRetGainHex);
    set(lblIsRetGainDec_, model_.lblIsRetGainDec);
    set(lblActualAverage_, model_.lblActualAverage);
    set(lblIaGain_, model_.lblIaGain);
    set(lblIsGain_, model_.lblIsGain);
    set(lblAverage_, model_.lblAverage);
    set(lblCompliance_, model_.lblCompliance);
    refreshing_ = false;
}

}  // namespace ostrino
