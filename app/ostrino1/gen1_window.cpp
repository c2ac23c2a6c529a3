#include "app/ostrino1/gen1_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/qt/form_widgets.h"

namespace ostrino::gen1 {

namespace {

QLabel* named(const QString& name) {
    auto* l = new QLabel;
    l->setObjectName(name);
    return l;
}

}  // namespace

Form1::Form1(Gen1App& app, QWidget* parent)
    : QMainWindow(parent),
      app_(app),
      state_(app.state),
      c_(app.state.controls),
      console_(app.console) {
    setObjectName("Form1");
    setWindowTitle("Ostrino (V1.1)");

    picScreen_ = new CanvasView;
    picScreen_->setObjectName("picScreen");
    picScreen_->setAccessibleName("Graph");
    plotter_ = std::make_unique<Gen1Plotter>(state_, picScreen_->canvas());
    picScreen_->redraw = [this] { plotter_->DrawPicture(); };
    picScreen_->press = [this](double, double) { redraw(); };

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(buildSetupFrame());
    leftLayout->addWidget(buildCurveFrame());
    leftLayout->addStretch(1);
    setCentralWidget(controlsBesideGraph(left, picScreen_, buildComFrame()));

    console_.Refresh = [this] { refreshFromModel(); };
    console_.RefreshCom = [this] { refreshCom(); };
    console_.DrawPicture = [this] { redraw(); };

    console_.Form_Load();
    refreshFromModel();
    resizeWithinScreen(this, QSize(1200, 820));
}

Form1::~Form1() {
    console_.Refresh = nullptr;
    console_.RefreshCom = nullptr;
    console_.DrawPicture = nullptr;
}

void Form1::redraw() {
    plotter_->DrawPicture();
    picScreen_->update();
}

QLineEdit* Form1::entry(const char* name, std::string Controls::*field, int width,
                        std::function<void()> commit) {
    auto* e = textEntry(name, width);
    entries_.emplace_back(e, field);
    connect(e, &QLineEdit::editingFinished, this, [this, e, field, commit] {
        if (refreshing_) {
            return;
        }
        c_.*field = e->text().toStdString();
        commit();
        refreshFromModel();
    });
    return e;
}

QPushButton* Form1::button(const char* name, const char* captionText,
                           std::function<void()> onClick) {
    auto* b = new QPushButton(captionText);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, [this, onClick] {
        onClick();
        refreshFromModel();
    });
    return b;
}

QCheckBox* Form1::check(const char* name, const char* captionText, bool Controls::*field,
                        bool redraws) {
    auto* box = new QCheckBox(captionText);
    box->setObjectName(name);
    checks_.emplace_back(box, field);
    connect(box, &QCheckBox::toggled, this, [this, field, redraws](bool on) {
        if (refreshing_) {
            return;
        }
        c_.*field = on;
        if (redraws) {
            redraw();
        }
    });
    return box;
}

QWidget* Form1::buildSetupFrame() {
    auto* frame = new QGroupBox("Measurement Set-Up");
    frame->setObjectName("fraMeasurementSetUp");
    auto* g = new QGridLayout(frame);
    auto commit = [this] { console_.measField_Commit(); };

    cboMeasType_ = new QComboBox;
    cboMeasType_->setObjectName("cboMeasType");
    for (const char* item : measTypeNames()) {
        cboMeasType_->addItem(item);
    }
    connect(cboMeasType_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (!refreshing_) {
            console_.cboMeasType_Click(index);
            refreshFromModel();
        }
    });
    g->addWidget(caption("Select Measurement type:", cboMeasType_), 0, 0, 1, 6);
    g->addWidget(cboMeasType_, 1, 0, 1, 6);

    lblNameVar1_ = named("lblNameVar1");
    lblNameVar1_->setStyleSheet("font-weight: bold;");
    g->addWidget(caption("Swept:"), 2, 0);
    g->addWidget(lblNameVar1_, 2, 1, 1, 3);
    g->addWidget(check("chkMeasLog", "log", &Controls::chkMeasLog, false), 2, 4, 1, 2);

    auto* start = entry("txtMeasStart", &Controls::txtMeasStart, 55, commit);
    auto* stop = entry("txtMeasStop", &Controls::txtMeasStop, 55, commit);
    auto* nintv = entry("txtMeasNintv", &Controls::txtMeasNintv, 40, commit);
    g->addWidget(caption("Start", start), 3, 0);
    g->addWidget(start, 3, 1);
    g->addWidget(caption("Stop", stop), 3, 2);
    g->addWidget(stop, 3, 3);
    g->addWidget(caption("Intervals", nintv), 3, 4);
    g->addWidget(nintv, 3, 5);

    auto* var2 = entry("txtVar2", &Controls::txtVar2, 120, [this] { console_.txtVar2_Commit(); });
    var2->setToolTip("Stepping values, one curve each, separated by single spaces (up to 11)");
    lblNameVar2_ = named("lblNameVar2");
    lblNameVar2_->setBuddy(var2);
    g->addWidget(lblNameVar2_, 4, 0);
    g->addWidget(var2, 4, 1, 1, 5);

    auto* const1 = entry("txtConst1", &Controls::txtConst1, 55, commit);
    txtConst2_ = entry("txtConst2", &Controls::txtConst2, 55, commit);
    lblNameConst1_ = named("lblNameConst1");
    lblNameConst1_->setBuddy(const1);
    lblNameConst2_ = named("lblNameConst2");
    lblNameConst2_->setBuddy(txtConst2_);
    g->addWidget(lblNameConst1_, 5, 0);
    g->addWidget(const1, 5, 1);
    g->addWidget(lblNameConst2_, 5, 2);
    g->addWidget(txtConst2_, 5, 3);
    auto* delay = entry("txtDelay", &Controls::txtDelay, 40, commit);
    g->addWidget(caption("Delay (s)", delay), 5, 4);
    g->addWidget(delay, 5, 5);

    auto* ia = check("chkIa20mA", "Ia > 20 mA", &Controls::chkIa20mA, false);
    ia->setToolTip("Anode current range through 22.1 ohm instead of 296.1 ohm");
    auto* is = check("chkIs5mA", "Is > 5 mA", &Controls::chkIs5mA, false);
    is->setToolTip("Screen current range through 121 ohm instead of 1331 ohm");
    g->addWidget(ia, 6, 0, 1, 3);
    g->addWidget(is, 6, 3, 1, 3);

    cmdMeasStart_ =
        button("cmdMeasStart", "Turn on Filament", [this] { console_.cmdMeasStart_Click(); });
    auto* stopButton = button("cmdMeasStop", "Abort !", [this] { console_.cmdMeasStop_Click(); });
    g->addWidget(cmdMeasStart_, 7, 0, 1, 3);
    g->addWidget(stopButton, 7, 3, 1, 3);
    lblMeasuring_ = new QLabel("Measuring!");
    lblMeasuring_->setObjectName("lblMeasuring");
    lblMeasuring_->setStyleSheet("color: #c00000; font-weight: bold;");
    QSizePolicy keep = lblMeasuring_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);  // the layout does not jump
    lblMeasuring_->setSizePolicy(keep);
    g->addWidget(lblMeasuring_, 8, 0, 1, 6, Qt::AlignHCenter);
    return frame;
}

QWidget* Form1::buildCurveFrame() {
    auto* frame = new QGroupBox("Curve Output");
    frame->setObjectName("fraCurveOutput");
    auto* g = new QGridLayout(frame);
    using Box = Console1::GraphBox;
    auto commitFor = [this](Box box) { return [this, box] { console_.graphField_Commit(box); }; };

    g->addWidget(caption("min"), 0, 1);
    g->addWidget(caption("max"), 0, 2);
    g->addWidget(caption("major"), 0, 3);
    g->addWidget(caption("minor"), 0, 4);
    g->addWidget(caption("X"), 1, 0);
    g->addWidget(entry("txtXmin", &Controls::txtXmin, 50, commitFor(Box::Xrange)), 1, 1);
    g->addWidget(entry("txtXmax", &Controls::txtXmax, 50, commitFor(Box::Xrange)), 1, 2);
    g->addWidget(entry("txtXmajor", &Controls::txtXmajor, 35, commitFor(Box::Xticks)), 1, 3);
    g->addWidget(entry("txtXminor", &Controls::txtXminor, 35, commitFor(Box::Xticks)), 1, 4);
    g->addWidget(caption("Y (mA)"), 2, 0);
    g->addWidget(entry("txtYmin", &Controls::txtYmin, 50, commitFor(Box::Yrange)), 2, 1);
    g->addWidget(entry("txtYmax", &Controls::txtYmax, 50, commitFor(Box::Yrange)), 2, 2);
    g->addWidget(entry("txtYmajor", &Controls::txtYmajor, 35, commitFor(Box::Yticks)), 2, 3);
    g->addWidget(entry("txtYminor", &Controls::txtYminor, 35, commitFor(Box::Yticks)), 2, 4);

    auto* checks = new QHBoxLayout;
    checks->addWidget(check("chkIa", "I anode", &Controls::chkIa, true));
    checks->addWidget(check("chkIs", "I screen", &Controls::chkIs, true));
    checks->addWidget(check("chkMarker", "Markers", &Controls::chkMarker, true));
    checks->addWidget(check("chkGrid", "Grid", &Controls::chkGrid, true));
    g->addLayout(checks, 3, 0, 1, 5);

    static constexpr const char* kPresets[6] = {"400 V / 200 mA", "200 V / 10 mA", "200 V / 1 mA",
                                                "-60 V / 200 mA", "-20 V / 10 mA", "-10 V / 1 mA"};
    auto* presets = new QGridLayout;
    for (int n = 1; n <= 6; ++n) {
        const QByteArray name = "cmdPreset" + QByteArray::number(n);
        presets->addWidget(
            button(name.constData(), kPresets[n - 1], [this, n] { console_.cmdPreset_Click(n); }),
            (n - 1) / 3, (n - 1) % 3);
    }
    g->addLayout(presets, 4, 0, 1, 5);

    auto* actions = new QHBoxLayout;
    actions->addWidget(button("cmdStore", "Store", [this] { console_.cmdStore_Click(); }));
    cmdRecall_ = button("cmdRecall", "Recall", [this] { console_.cmdRecall_Click(); });
    actions->addWidget(cmdRecall_);
    actions->addWidget(button("cmdSave", "Save Data", [this] { console_.cmdSave_Click(); }));
    g->addLayout(actions, 5, 0, 1, 5);
    return frame;
}

QLabel* Form1::fieldLabel(const QString& name) {
    QLabel* l = named(name);
    l->setText("---");
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance("-000.000") + 4);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QWidget* Form1::buildComFrame() {
    comFrame_ = new QGroupBox("Communication");
    comFrame_->setObjectName("fraCommunication");
    auto* v = new QVBoxLayout(comFrame_);

    auto* top = new QHBoxLayout;
    cboComNumber_ = new QComboBox;
    cboComNumber_->setObjectName("cboComNumber");
    for (const char* item : {"COM1", "COM2", "COM3", "COM4"}) {
        cboComNumber_->addItem(item);
    }
    connect(cboComNumber_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (!refreshing_) {
            c_.cboComNumber = index;  // used the next time the port opens
        }
    });
    top->addWidget(caption("Port", cboComNumber_));
    top->addWidget(cboComNumber_);
    top->addWidget(button("cmdEsc", "esc", [this] { console_.SndEsc(); }));
    top->addWidget(button("cmdCloseCom", "Close", [this] { console_.cmdCloseCom_Click(); }));
    top->addWidget(check("chkDebug", "debug", &Controls::chkDebug, false));
    top->addSpacing(12);
    top->addWidget(caption("Status:"));
    lblStat_ = named("lblStat");
    lblStat_->setMinimumWidth(lblStat_->fontMetrics().horizontalAdvance("MM"));
    top->addWidget(lblStat_);
    top->addSpacing(12);
    lblFullScale_ = named("lblFullScale");
    lblFullScale_->setStyleSheet("color: #b00000;");
    lblFullScale_->setToolTip(
        "A current beyond the converter's range reads as its full-scale count (1023), which is "
        "not a measurement; the wider ranges \"Ia > 20 mA\" and \"Is > 5 mA\" measure it");
    top->addWidget(lblFullScale_);
    top->addStretch(1);
    v->addLayout(top);

    // What the port list may reach: the serial devices of the machine.
    auto* devicesRow = new QHBoxLayout;
    lstSerialDevices_ = new SerialDeviceList;
    devicesRow->addWidget(caption("Serial devices:", lstSerialDevices_), 0, Qt::AlignTop);
    devicesRow->addWidget(lstSerialDevices_, 1);
    v->addLayout(devicesRow);

    auto* strings = new QHBoxLayout;
    strings->addWidget(caption("Sent:"));
    lblStringSend_ = named("lblStringSend");
    lblStringEcho_ = named("lblStringEcho");
    const int stringWidth = lblStringSend_->fontMetrics().horizontalAdvance(QString(19, 'M'));
    for (QLabel* l : {lblStringSend_, lblStringEcho_}) {
        l->setMinimumWidth(stringWidth);
        l->setStyleSheet("font-family: monospace;");
    }
    strings->addWidget(lblStringSend_);
    strings->addSpacing(12);
    strings->addWidget(caption("Echo:"));
    strings->addWidget(lblStringEcho_);
    strings->addStretch(1);
    v->addLayout(strings);

    auto* grid = new QGridLayout;
    grid->addWidget(caption("Field"), 0, 0);
    grid->addWidget(caption("Text"), 1, 0);
    grid->addWidget(caption("Count"), 2, 0);
    grid->addWidget(caption("Value"), 3, 0);
    for (int n = 1; n <= 8; ++n) {
        auto* head = new QLabel(QString::number(n));
        head->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(head, 0, n);
        const auto k = static_cast<std::size_t>(n - 1);
        lblStr_[k] = fieldLabel(QString("lblStr%1").arg(n));
        lblInt_[k] = fieldLabel(QString("lblInt%1").arg(n));
        lblVal_[k] = fieldLabel(QString("lblVal%1").arg(n));
        grid->addWidget(lblStr_[k], 1, n);
        grid->addWidget(lblInt_[k], 2, n);
        grid->addWidget(lblVal_[k], 3, n);
    }
    grid->setColumnStretch(9, 1);
    v->addLayout(grid);
    return comFrame_;
}

void Form1::refreshFromModel() {
    refreshing_ = true;
    cboMeasType_->setCurrentIndex(c_.cboMeasType);
    cboComNumber_->setCurrentIndex(c_.cboComNumber);
    for (auto& [edit, field] : entries_) {
        const QString text = QString::fromStdString(c_.*field);
        if (edit->text() != text) {
            edit->setText(text);
        }
    }
    for (auto& [box, field] : checks_) {
        box->setChecked(c_.*field);
    }
    lblNameVar1_->setText(QString::fromStdString(c_.lblNameVar1));
    lblNameVar2_->setText(QString::fromStdString(c_.lblNameVar2));
    lblNameConst1_->setText(QString::fromStdString(c_.lblNameConst1));
    lblNameConst2_->setText(QString::fromStdString(c_.lblNameConst2));
    lblNameConst2_->setVisible(c_.const2Visible);
    txtConst2_->setVisible(c_.const2Visible);
    cmdMeasStart_->setText(QString::fromStdString(c_.cmdMeasStartCaption));
    cmdMeasStart_->setEnabled(c_.cmdMeasStartEnabled);
    lblMeasuring_->setVisible(c_.lblMeasuringVisible);
    cmdRecall_->setText(QString::fromStdString(c_.cmdRecallCaption));
    refreshing_ = false;
    refreshCom();
}

void Form1::refreshCom() {
    const ComLabels& com = c_.com;
    lblStringSend_->setText(QString::fromStdString(com.lblStringSend));
    lblStringEcho_->setText(QString::fromStdString(com.lblStringEcho));
    lblStat_->setText(QString::fromStdString(com.lblStat));
    lblFullScale_->setText(QString::fromStdString(com.lblFullScale));
    for (std::size_t k = 0; k < 8; ++k) {
        lblStr_[k]->setText(QString::fromStdString(com.lblStr[k]));
        lblInt_[k]->setText(QString::fromStdString(com.lblInt[k]));
        lblVal_[k]->setText(QString::fromStdString(com.lblVal[k]));
    }
    if (c_.chkDebug && isVisible()) {
        // The debug view follows every character, also while the link waits.
        comFrame_->repaint();
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    // The port is closed; the heater is left as it is.
    console_.shutDown();
    event->accept();
}

}  // namespace ostrino::gen1
