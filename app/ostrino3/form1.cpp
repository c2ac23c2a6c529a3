#include "app/ostrino3/form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <algorithm>

#include "files/frm_cal.h"
#include "library/labels.h"
#include "measure/console_views.h"
#include "model/model_file.h"
#include "platform/qt/form_widgets.h"

namespace ostrino {

namespace {

const std::initializer_list<const char*> kRangeItems = {"0 - 200 mA", "0 - 100 mA", "0 -  40 mA",
                                                        "0 -  20 mA", "0 -  10 mA", "0 -   5 mA",
                                                        "0 -   2 mA", "0 -   1 mA", "Automatic"};
const std::initializer_list<const char*> kYVarItems = {
    "  none", "  Ia", "  Is", "  Ia fit", "  dIa/dV", "  dV/dIa", "  stored Ia", "  stored Is"};
const std::initializer_list<const char*> kLineItems = {"No Line", "  Solid", "  Dots", "  Dash",
                                                       "Dash-Dot"};
// The markers themselves, as they are drawn: none, open circle, filled circle, open square,
// cross.
const std::initializer_list<const char*> kMarkerItems = {"none", "\u25CB", "\u25CF", "\u25A1",
                                                         "\u2715"};

}  // namespace

Form1::Form1(ConsoleApp& app, QWidget* parent)
    : QMainWindow(parent),
      app_(app),
      logic_(std::make_unique<Form1Logic>(*app.state, app.com, app.link, app.clock, app.dialogs,
                                          app.beeper)),
      model_(logic_->model),
      state_(*app.state) {
    setObjectName("Form1");
    setWindowTitle("Ostrino (V3.11)");

    picScreen_ = new CanvasView;
    picScreen_->setObjectName("picScreen");
    picScreen_->setAccessibleName("Graph");
    graph_ = std::make_unique<GraphSettingsLogic>(graphSources(state_), model_, app.dialogs);
    plotter_ = std::make_unique<Plotter>(model_, *graph_, picScreen_->canvas());
    setupFile_ = std::make_unique<SetupFile>(state_, *logic_, app.dialogs);
    plotter_->ProcessFields = [this] { logic_->setup.ProcessFields(); };
    // The quick-test windows that are open show the settings of an opened setup.
    setupFile_->UpdateQuickTestFields = [this] {
        if (frmQTtriode_) {
            frmQTtriode_->UpdateFields();
        }
        if (frmQTpentode_) {
            frmQTpentode_->UpdateFields();
        }
    };
    picScreen_->redraw = [this] { plotter_->DrawPicture(); };
    picScreen_->press = [this](double x, double y) {
        if (!refreshing_ && !committing_) {
            commit([this, x, y] { plotter_->mousePress(x, y); });
        }
    };
    // The click that follows the press commits the fields once more (a second fault among
    // them is reported then).
    picScreen_->click = [this] {
        if (!refreshing_ && !committing_) {
            commit([this] { logic_->setup.ProcessFields(); });
        }
    };

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(buildSetupFrame());
    leftLayout->addWidget(buildMiscFrame());
    leftLayout->addWidget(buildCurveFrame());
    leftLayout->addStretch(1);
    setCentralWidget(controlsBesideGraph(left, picScreen_, buildGraphFrame()));

    // Our own tools live in a menu bar of their own, never between the set-up controls.
    toolsMenu_ = menuBar()->addMenu("&Tools");
    toolsMenu_->setObjectName("menuTools");
    QAction* valveModel =
        toolsMenu_->addAction("&Valve model\u2026", this, [this] { showWindow(modelWindow()); });
    valveModel->setObjectName("mnuValveModel");
    library_ = std::make_unique<LibraryAccess>(libraryFile(app.libraryFile), app.dialogs);
    QAction* libraryAction =
        toolsMenu_->addAction("&Library\u2026", this, [this] { mnuLibrary_Click(); });
    libraryAction->setObjectName("mnuLibrary");
    QAction* addAction =
        toolsMenu_->addAction("&Add to library\u2026", this, [this] { mnuAddToLibrary_Click(); });
    addAction->setObjectName("mnuAddToLibrary");

    Form1Hooks& hooks = logic_->hooks;
    hooks.Refresh = [this] { refreshFromModel(); };
    hooks.UpdateGraphFields = [this] { graph_->UpdateGraphFields(); };
    hooks.ReadGraphFields = [this] { graph_->ReadGraphFields(); };
    hooks.CheckGraphFields = [this] { graph_->CheckGraphFields(); };
    hooks.CorrectGraphFault = [this] { return graph_->correctFirstGraphFault(); };
    hooks.DrawPicture = [this] {
        plotter_->DrawPicture();
        refreshFromModel();
        picScreen_->update();
    };

    logic_->Form_Load();
    refreshFromModel();
    resizeWithinScreen(this, QSize(1180, 760));
}

Form1::~Form1() {
    logic_->hooks = Form1Hooks{};
}

QLineEdit* Form1::entry(const char* name, std::string Form1Model::*field, int width,
                        std::function<void()> commitAction) {
    auto* e = textEntry(name, width);
    entries_.emplace_back(e, field);
    connect(e, &QLineEdit::editingFinished, this, [this, e, field, commitAction] {
        if (refreshing_ || committing_) {
            return;
        }
        model_.*field = e->text().toStdString();
        commit(commitAction);
    });
    return e;
}

QComboBox* Form1::list(const char* name, std::initializer_list<const char*> items,
                       std::function<void(int)> onChoice) {
    auto* c = new QComboBox;
    c->setObjectName(name);
    for (const char* item : items) {
        c->addItem(QString::fromUtf8(item));
    }
    c->setMinimumWidth(c->sizeHint().width());  // never shrunk until its items are cut off
    connect(c, qOverload<int>(&QComboBox::activated), this, [this, onChoice](int index) {
        if (!refreshing_ && !committing_) {
            commit([&] { onChoice(index); });
        }
    });
    return c;
}

QPushButton* Form1::button(const char* name, const char* captionText,
                           std::function<void()> onClick) {
    auto* b = new QPushButton(captionText);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, [onClick] { onClick(); });
    return b;
}

void Form1::commit(std::function<void()> action) {
    committing_ = true;
    action();
    committing_ = false;
    refreshFromModel();
}

QWidget* Form1::buildSetupFrame() {
    auto* frame = new QGroupBox("Measurement Set-Up");
    frame->setObjectName("fraMeasurementSetUp");
    auto* g = new QGridLayout(frame);
    MeasSetup& setup = logic_->setup;
    auto processFields = [&setup] { setup.ProcessFields(); };

    cboMeasType_ = new QComboBox;
    cboMeasType_->setObjectName("cboMeasType");
    for (const char* item : MeasSetup::measTypeNames()) {
        cboMeasType_->addItem(item);
    }
    cboMeasType_->setAccessibleName("Measurement type");
    connect(cboMeasType_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (refreshing_) {
            return;
        }
        model_.cboMeasType = index;
        commit([this] { logic_->setup.cboMeasType_Click(); });
    });
    g->addWidget(cboMeasType_, 0, 0, 1, 6);

    lblNameVar1_ = new QLabel;
    lblNameVar1_->setObjectName("lblNameVar1");
    txtNameVar1_ = new QLineEdit;
    txtNameVar1_->setObjectName("txtNameVar1");
    txtNameVar1_->setReadOnly(true);
    txtNameVar1_->setFocusPolicy(Qt::NoFocus);
    txtNameVar1_->setMaximumWidth(80);
    txtNameVar1_->setAccessibleName("Swept variable");
    g->addWidget(caption("Var1 (swept):"), 1, 0);
    g->addWidget(txtNameVar1_, 1, 1);
    g->addWidget(lblNameVar1_, 1, 2);
    chkMeasLog_ = new QCheckBox("log");
    chkMeasLog_->setObjectName("chkMeasLog");
    connect(chkMeasLog_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_) {
            model_.chkMeasLog = on;
        }
    });
    g->addWidget(chkMeasLog_, 1, 3);

    auto* start = entry("txtMeasStart", &Form1Model::txtMeasStart, 60, processFields);
    auto* stop = entry("txtMeasStop", &Form1Model::txtMeasStop, 60, processFields);
    auto* nintv = entry("txtMeasNintv", &Form1Model::txtMeasNintv, 50, processFields);
    g->addWidget(caption("Start", start), 2, 0);
    g->addWidget(start, 2, 1);
    g->addWidget(caption("Stop", stop), 2, 2);
    g->addWidget(stop, 2, 3);
    g->addWidget(caption("Intervals", nintv), 2, 4);
    g->addWidget(nintv, 2, 5);

    auto* var2 =
        entry("txtVar2", &Form1Model::txtVar2, 120, [&setup] { setup.ProcessVar2String(); });
    lblNameVar2_ = new QLabel;
    lblNameVar2_->setObjectName("lblNameVar2");
    lblNameVar2_->setBuddy(var2);
    g->addWidget(lblNameVar2_, 3, 0);
    g->addWidget(var2, 3, 1, 1, 5);

    auto* const1 = entry("txtConst1", &Form1Model::txtConst1, 60, processFields);
    auto* const2 = entry("txtConst2", &Form1Model::txtConst2, 60, processFields);
    auto* delay = entry("txtDelay", &Form1Model::txtDelay, 50, processFields);
    lblNameConst1_ = new QLabel;
    lblNameConst1_->setObjectName("lblNameConst1");
    lblNameConst1_->setBuddy(const1);
    lblNameConst2_ = new QLabel;
    lblNameConst2_->setObjectName("lblNameConst2");
    lblNameConst2_->setBuddy(const2);
    g->addWidget(lblNameConst1_, 4, 0);
    g->addWidget(const1, 4, 1);
    g->addWidget(lblNameConst2_, 4, 2);
    g->addWidget(const2, 4, 3);
    g->addWidget(caption("Delay (s)", delay), 4, 4);
    g->addWidget(delay, 4, 5);

    cboIaRange_ = list("cboIaRange", kRangeItems, [this](int i) { state_.cboIaRange = i; });
    cboIsRange_ = list("cboIsRange", kRangeItems, [this](int i) { state_.cboIsRange = i; });
    cboAverage_ = list("cboAverage", {"none", "2X", "4X", "8X", "16X", "32X", "Automatic"},
                       [this](int i) { state_.cboAverage = i; });
    cboCompliance_ =
        list("cboCompliance",
             {"200 mA", "175 mA", "150 mA", "125 mA", "100 mA", "75 mA", "50 mA", "25 mA", "off !"},
             [this](int i) { state_.cboCompliance = i; });
    g->addWidget(caption("Ia range", cboIaRange_), 5, 0);
    g->addWidget(cboIaRange_, 5, 1, 1, 2);
    g->addWidget(caption("Is range", cboIsRange_), 5, 3);
    g->addWidget(cboIsRange_, 5, 4, 1, 2);
    g->addWidget(caption("Averaging", cboAverage_), 6, 0);
    g->addWidget(cboAverage_, 6, 1, 1, 2);
    g->addWidget(caption("Compliance", cboCompliance_), 6, 3);
    g->addWidget(cboCompliance_, 6, 4, 1, 2);

    MeasRun& run = logic_->run;
    cmdMeasStart_ = button("cmdMeasStart", "Heater on !", [this, &run] {
        const bool sweep = state_.intMeasStat == kHeaterOn;
        run.cmdMeasStart_Click();
        if (sweep && !measuredPoints(state_.dblMeasMatrix, MeasMatrix::kActual).empty()) {
            lastMeasured_ = Measured::Sweep;
        }
        refreshFromModel();
    });
    auto* stopButton = button("cmdMeasStop", "Abort !", [this, &run] {
        run.cmdMeasStop_Click();
        refreshFromModel();
    });
    g->addWidget(cmdMeasStart_, 7, 0, 1, 3);
    g->addWidget(stopButton, 7, 3, 1, 3);
    progressBar1_ = new QProgressBar;
    progressBar1_->setObjectName("ProgressBar1");
    progressBar1_->setRange(0, 100);
    progressBar1_->setAccessibleName("Heater");
    g->addWidget(caption("Heater", progressBar1_), 8, 0);
    g->addWidget(progressBar1_, 8, 1, 1, 3);
    lblInProgress_ = new QLabel("Measuring!");
    lblInProgress_->setObjectName("lblInProgress");
    lblInProgress_->setStyleSheet("color: #c00000; font-weight: bold;");
    g->addWidget(lblInProgress_, 8, 4);
    chkBeep_ = new QCheckBox("Beep");
    chkBeep_->setObjectName("chkBeep");
    connect(chkBeep_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_) {
            model_.chkBeep = on;
        }
    });
    g->addWidget(chkBeep_, 8, 5);
    return frame;
}

QWidget* Form1::buildMiscFrame() {
    auto* frame = new QGroupBox("Miscellaneous");
    frame->setObjectName("fraMiscellaneous");
    auto* g = new QGridLayout(frame);
    chkExtVheat_ = new QCheckBox("Ext. heater supply");
    chkExtVheat_->setObjectName("chkExtVheat");
    connect(chkExtVheat_, &QCheckBox::toggled, this, [this](bool checked) {
        if (!refreshing_) {
            commit([this, checked] { logic_->chkExtVheat_Click(checked); });
        }
    });
    auto* vheat = entry("txtVheat", &Form1Model::txtVheat, 60, [this] { logic_->ProcessVheat(); });
    vheat->setAccessibleName("External heater supply (V)");
    g->addWidget(chkExtVheat_, 0, 0, 1, 2);
    g->addWidget(vheat, 0, 2);

    g->addWidget(button("cmdOpenSetup", "Open Setup",
                        [this] { commit([this] { setupFile_->OpenSetupFile(); }); }),
                 1, 0);
    g->addWidget(button("cmdSaveSetup", "Save Setup", [this] { setupFile_->SaveSetupFile(); }), 1,
                 1);
    g->addWidget(button("cmdCalibration", "Cal.", [this] { cmdCalibration_Click(); }), 1, 2);
    g->addWidget(button("cmdSave", "Save Data", [this] { cmdSave_Click(); }), 2, 0);
    g->addWidget(button("cmdSavePlot", "Save Plot", [this] { cmdSavePlot_Click(); }), 2, 1);
    g->addWidget(button("cmdDebugCom", "Debug", [this] { cmdDebugCom_Click(); }), 2, 2);
    g->addWidget(button("cmdQT", "Quick Test", [this] { cmdQT_Click(); }), 3, 0);
    g->addWidget(button("cmdPinsOn", "pins", [this] { cmdPinsOn_Click(); }), 3, 1);
    return frame;
}

QWidget* Form1::buildCurveFrame() {
    auto* frame = new QGroupBox("Curve Output");
    frame->setObjectName("fraCurveOutput");
    auto* h = new QHBoxLayout(frame);
    h->addWidget(
        button("cmdClear", "Clear", [this] { commit([this] { logic_->cmdClear_Click(); }); }));
    h->addWidget(button("cmdDistortion", "Distortion", [this] {
        if (logic_->cmdDistortion_Click()) {
            showWindow(distortionWindow());
        }
    }));
    h->addWidget(button("cmdStore", "Store", [this] { Store(state_.dblMeasMatrix); }));
    return frame;
}

QWidget* Form1::buildGraphFrame() {
    auto* frame = new QGroupBox("Graph");
    frame->setObjectName("fraGraph");
    auto* g = new QGridLayout(frame);
    MeasSetup& setup = logic_->setup;
    auto processFields = [&setup] { setup.ProcessFields(); };
    auto redraw = [this] { Form1Hooks::call(logic_->hooks.DrawPicture); };
    auto modelList = [&](const char* name, std::initializer_list<const char*> items,
                         int Form1Model::*field) {
        auto* c = list(name, items, [this, field, redraw](int i) {
            model_.*field = i;
            redraw();
        });
        modelLists_.emplace_back(c, field);
        return c;
    };

    g->addWidget(caption("X"), 0, 0);
    g->addWidget(modelList("cboXScale", {"  Track", "  Manual"}, &Form1Model::cboXScale), 0, 2);
    g->addWidget(entry("txtXmin", &Form1Model::txtXmin, 50, processFields), 0, 3);
    g->addWidget(entry("txtXmax", &Form1Model::txtXmax, 50, processFields), 0, 4);
    g->addWidget(entry("txtXmajor", &Form1Model::txtXmajor, 30, processFields), 0, 5);

    g->addWidget(caption("Y1"), 1, 0);
    g->addWidget(modelList("cboY1Var", kYVarItems, &Form1Model::cboY1Var), 1, 1);
    g->addWidget(modelList("cboY1Scale", {" Auto", " Manual", " Track"}, &Form1Model::cboY1Scale),
                 1, 2);
    g->addWidget(entry("txtY1min", &Form1Model::txtY1min, 50, processFields), 1, 3);
    g->addWidget(entry("txtY1max", &Form1Model::txtY1max, 50, processFields), 1, 4);
    g->addWidget(entry("txtY1major", &Form1Model::txtY1major, 30, processFields), 1, 5);
    g->addWidget(modelList("cboY1Line", kLineItems, &Form1Model::cboY1Line), 1, 6);
    g->addWidget(modelList("cboY1Marker", kMarkerItems, &Form1Model::cboY1Marker), 1, 7);
    lblY1Unit_ = new QLabel;
    lblY1Unit_->setObjectName("lblY1Unit");
    // Wide enough for the widest unit, so that changing the quantity does not move the pane.
    lblY1Unit_->setMinimumWidth(std::max(lblY1Unit_->fontMetrics().horizontalAdvance("kohm"),
                                         lblY1Unit_->fontMetrics().horizontalAdvance("mA/V")) +
                                4);
    g->addWidget(lblY1Unit_, 1, 8);

    g->addWidget(caption("Y2"), 2, 0);
    g->addWidget(modelList("cboY2Var", kYVarItems, &Form1Model::cboY2Var), 2, 1);
    g->addWidget(
        modelList("cboY2Scale", {" Auto", " Manual", " Track", " Copy"}, &Form1Model::cboY2Scale),
        2, 2);
    g->addWidget(entry("txtY2min", &Form1Model::txtY2min, 50, processFields), 2, 3);
    g->addWidget(entry("txtY2max", &Form1Model::txtY2max, 50, processFields), 2, 4);
    g->addWidget(entry("txtY2major", &Form1Model::txtY2major, 30, processFields), 2, 5);
    g->addWidget(modelList("cboY2Line", kLineItems, &Form1Model::cboY2Line), 2, 6);
    g->addWidget(modelList("cboY2Marker", kMarkerItems, &Form1Model::cboY2Marker), 2, 7);
    lblY2Unit_ = new QLabel;
    lblY2Unit_->setObjectName("lblY2Unit");
    lblY2Unit_->setMinimumWidth(lblY1Unit_->minimumWidth());
    g->addWidget(lblY2Unit_, 2, 8);

    auto* title = entry("txtTitle", &Form1Model::txtTitle, 120, redraw);
    g->addWidget(caption("Title", title), 3, 0);
    g->addWidget(title, 3, 1, 1, 2);
    static const char* const kTitleNames[3] = {"optTitleOff", "optTitleTop", "optTitleGraph"};
    static const char* const kTitleCaptions[3] = {"off", "top", "graph"};
    auto* titleBox = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        optTitle_[i] = new QRadioButton(kTitleCaptions[i]);
        optTitle_[i]->setObjectName(kTitleNames[i]);
        connect(optTitle_[i], &QRadioButton::toggled, this, [this, i, redraw](bool on) {
            if (on && !refreshing_) {
                model_.titlePlacement = i;
                redraw();
            }
        });
        titleBox->addWidget(optTitle_[i]);
    }
    g->addLayout(titleBox, 3, 3, 1, 4);
    auto check = [&](const char* name, const char* text, bool Form1Model::*field, bool redraws) {
        auto* c = new QCheckBox(text);
        c->setObjectName(name);
        // Any toggle counts: a click, the space bar or an assistive tool.
        connect(c, &QCheckBox::toggled, this, [this, field, redraw, redraws](bool on) {
            if (!refreshing_) {
                model_.*field = on;
                if (redraws) {
                    redraw();
                }
            }
        });
        return c;
    };
    chkColor_ = check("chkColor", "Color", &Form1Model::chkColor, true);
    chkGrid_ = check("chkGrid", "Grid", &Form1Model::chkGrid, true);
    // "Keep Plot" is only read at the next redraw.
    chkKeepPlot_ = check("chkKeepPlot", "Keep Plot", &Form1Model::chkKeepPlot, false);
    g->addWidget(chkColor_, 4, 5);
    g->addWidget(chkGrid_, 4, 6);
    g->addWidget(chkKeepPlot_, 4, 7, 1, 2);
    auto* degree = entry("txtDegree", &Form1Model::txtDegree, 30, processFields);
    auto* pmax = entry("txtPmax", &Form1Model::txtPmax, 40, processFields);
    g->addWidget(caption("Fit degree", degree), 4, 0);
    g->addWidget(degree, 4, 1);
    g->addWidget(caption("Pmax (W)", pmax), 4, 2);
    g->addWidget(pmax, 4, 3);
    g->setColumnStretch(1, 1);
    return frame;
}

void Form1::refreshFromModel() {
    refreshing_ = true;
    cboMeasType_->setCurrentIndex(model_.cboMeasType);
    cboIaRange_->setCurrentIndex(state_.cboIaRange);
    cboIsRange_->setCurrentIndex(state_.cboIsRange);
    cboAverage_->setCurrentIndex(state_.cboAverage);
    cboCompliance_->setCurrentIndex(state_.cboCompliance);
    for (auto& [edit, field] : entries_) {
        const QString text = QString::fromStdString(model_.*field);
        if (edit->text() != text) {
            edit->setText(text);
        }
    }
    for (auto& [combo, field] : modelLists_) {
        combo->setCurrentIndex(model_.*field);
    }
    lblNameVar1_->setText(QString::fromStdString(model_.lblNameVar1));
    txtNameVar1_->setText(QString::fromStdString(model_.txtNameVar1));
    lblNameVar2_->setText(QString::fromStdString(model_.lblNameVar2));
    lblNameConst1_->setText(QString::fromStdString(model_.lblNameConst1));
    lblNameConst2_->setText(QString::fromStdString(model_.lblNameConst2));
    lblNameConst2_->setVisible(model_.txtConst2Visible);
    findChild<QLineEdit*>("txtConst2")->setVisible(model_.txtConst2Visible);
    findChild<QLineEdit*>("txtVheat")->setVisible(model_.txtVheatVisible);
    chkMeasLog_->setChecked(model_.chkMeasLog);
    cmdMeasStart_->setText(QString::fromStdString(model_.cmdMeasStartCaption));
    cmdMeasStart_->setEnabled(model_.cmdMeasStartEnabled);
    // Hidden while measuring; the space stays so the layout does not jump.
    QSizePolicy sp = cmdMeasStart_->sizePolicy();
    sp.setRetainSizeWhenHidden(true);
    cmdMeasStart_->setSizePolicy(sp);
    cmdMeasStart_->setVisible(model_.cmdMeasStartVisible);
    QSizePolicy lp = lblInProgress_->sizePolicy();
    lp.setRetainSizeWhenHidden(true);
    lblInProgress_->setSizePolicy(lp);
    lblInProgress_->setVisible(model_.lblInProgressVisible);
    progressBar1_->setValue(state_.progressBar1);
    chkBeep_->setChecked(model_.chkBeep);
    chkExtVheat_->setChecked(state_.chkExtVheat);
    chkColor_->setChecked(model_.chkColor);
    chkGrid_->setChecked(model_.chkGrid);
    chkKeepPlot_->setChecked(model_.chkKeepPlot);
    if (model_.titlePlacement >= 0 && model_.titlePlacement <= 2) {
        optTitle_[model_.titlePlacement]->setChecked(true);
    } else {  // none selected, as a setup file may leave them
        for (auto* option : optTitle_) {
            option->setAutoExclusive(false);
            option->setChecked(false);
            option->setAutoExclusive(true);
        }
    }
    lblY1Unit_->setText(QString::fromStdString(model_.lblY1Unit));
    lblY2Unit_->setText(QString::fromStdString(model_.lblY2Unit));
    // An axis showing nothing has nothing to style or scale.
    for (const auto& [axis, enabled] :
         {std::pair{"Y1", model_.y1ControlsEnabled}, std::pair{"Y2", model_.y2ControlsEnabled}}) {
        for (const char* control :
             {"cbo%1Marker", "cbo%1Line", "cbo%1Scale", "txt%1min", "txt%1max", "txt%1major"}) {
            if (auto* w = findChild<QWidget*>(QString(control).arg(axis))) {
                w->setEnabled(enabled);
            }
        }
    }
    // The quick-test windows' "Test" follows the run state too.
    if (frmQTtriode_) {
        frmQTtriode_->runStateChanged();
    }
    if (frmQTpentode_) {
        frmQTpentode_->runStateChanged();
    }
    refreshing_ = false;
}

void Form1::cmdDebugCom_Click() {
    if (!frmCom_) {
        frmCom_ = new frmCom(
            state_.cal, app_.com, app_.link,
            [this] {
                state_.intMeasStat = kGround;
                logic_->run.CommandUpdate();
            },
            this);
    }
    frmCom_->showOnTop();
}

void Form1::cmdCalibration_Click() {
    if (!frmCal_) {
        frmCal_ = new frmCal(
            state_.cal, app_.dialogs, [this] { logic_->setup.SelectMeas(); }, this);
    }
    frmCal_->show();
    frmCal_->raise();
    frmCal_->activateWindow();
}

void Form1::cmdSave_Click() {
    if (!frmSaveData_) {
        frmSaveData_ = new frmSaveData(exportSources(state_), model_, app_.dialogs, this);
    }
    frmSaveData_->show();
    frmSaveData_->raise();
    frmSaveData_->activateWindow();
}

void Form1::cmdSavePlot_Click() {
    if (!frmSavePlot_) {
        frmSavePlot_ = new frmSavePlot(picScreen_->canvas(), app_.dialogs, model_.txtTitle, this);
    }
    frmSavePlot_->show();
    frmSavePlot_->raise();
}

void Form1::cmdPinsOn_Click() {
    if (!frmPin_) {
        frmPin_ = new frmPin({state_.intPins, state_.blnPinsForm}, app_.dialogs, this);
    }
    frmPin_->show();
    frmPin_->raise();
    frmPin_->activateWindow();
}

QuickTestContext Form1::quickTestContext() {
    return ostrino::quickTestContext(app_, *logic_);
}

void Form1::showWindow(QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
}

frmQTtriode* Form1::triodeQuickTestWindow() {
    if (!frmQTtriode_) {
        QuickTestContext ctx = quickTestContext();
        ctx.analysed = [this] { lastMeasured_ = Measured::TriodeTest; };
        frmQTtriode_ = new frmQTtriode(
            std::move(ctx), [this] { showWindow(pentodeQuickTestWindow()); }, this);
    }
    return frmQTtriode_;
}

frmQTpentode* Form1::pentodeQuickTestWindow() {
    if (!frmQTpentode_) {
        QuickTestContext ctx = quickTestContext();
        ctx.analysed = [this] { lastMeasured_ = Measured::PentodeTest; };
        frmQTpentode_ = new frmQTpentode(
            std::move(ctx), [this] { showWindow(triodeQuickTestWindow()); }, this);
    }
    return frmQTpentode_;
}

// ---- the valve library --------------------------------------------------------------------

frmLibrary* Form1::libraryWindow() {
    if (!frmLibrary_) {
        LibraryWindowHooks hooks;
        hooks.library = [this] { return library_->get(); };
        hooks.showOnGraph = [this](const library::StoredRecord& r) { showRecordOnGraph(r); };
        hooks.open = [this](const library::StoredRecord& r) { openRecord(r); };
        frmLibrary_ = new frmLibrary(std::move(hooks), app_.dialogs, this);
    }
    return frmLibrary_;
}

void Form1::mnuLibrary_Click() {
    // Only a library that can be used opens its window; the message says why not.
    if (library_->get() != nullptr) {
        showWindow(libraryWindow());
    }
}

std::vector<Form1::Measurement> Form1::measurementsToStore() {
    std::vector<std::pair<Measured, Measurement>> found;
    auto sweep = measuredPoints(state_.dblMeasMatrix, MeasMatrix::kActual);
    if (!sweep.empty()) {
        const int type = model_.cboMeasType;
        const auto& names = MeasSetup::measTypeNames();
        const std::string name = type >= 0 && type < static_cast<int>(names.size())
                                     ? names[static_cast<std::size_t>(type)]
                                     : "";
        found.push_back({Measured::Sweep,
                         {"Sweep: " + name + ", " + std::to_string(sweep.size()) + " points",
                          std::move(sweep),
                          {},
                          "Its curves stay in the console: save them with \"Save Data\" or "
                          "\"Save Setup\".",
                          {}}});
        // The valve-model window's model goes along when it was fitted to this sweep.
        if (frmModel_ && frmModel_->logic().fittedTo(state_.dblMeasMatrix)) {
            found.back().second.modelJson = model::modelJson(*frmModel_->logic().record());
        }
    }
    const char* keptTest =
        "Its results stay in the quick-test window: \"Report\" writes them to a file.";
    if (frmQTtriode_ && !frmQTtriode_->logic().model.figures.empty()) {
        QTtriode& t = frmQTtriode_->logic();
        found.push_back({Measured::TriodeTest,
                         {"Quick test triode",
                          measuredPoints(t.testPoints(), 0),
                          t.model.figures,
                          keptTest,
                          {}}});
    }
    if (frmQTpentode_ && !frmQTpentode_->logic().model.figures.empty()) {
        QTpentode& p = frmQTpentode_->logic();
        found.push_back({Measured::PentodeTest,
                         {"Quick test pentode",
                          measuredPoints(p.testPoints(), 0),
                          p.model.figures,
                          keptTest,
                          {}}});
    }
    std::stable_partition(found.begin(), found.end(),
                          [this](const auto& m) { return m.first == lastMeasured_; });
    std::vector<Measurement> out;
    for (auto& m : found) {
        out.push_back(std::move(m.second));
    }
    return out;
}

std::string Form1::nextLibraryLabel(const std::string& type) {
    library::Library* lib = library_->tryGet().ok() ? library_->tryGet().value() : nullptr;
    std::string last;
    if (lib != nullptr && !type.empty()) {
        library::RecordFilter f;
        f.valveType = type;
        auto rows = lib->list(f, {library::SortKey::Id, true});
        if (rows && !rows.value().empty()) {
            last = rows.value().front().label;
        }
    }
    return library::nextLabel(last, type);
}

std::optional<LibraryAddModel> Form1::libraryAddModel() {
    std::vector<Measurement> measurements = measurementsToStore();
    if (measurements.empty()) {
        app_.dialogs.message(
            "Nothing has been measured yet: add to the library after a sweep or a quick test.");
        return std::nullopt;
    }
    auto lib = library_->tryGet();
    if (!lib) {
        app_.dialogs.message(notStoredMessage(lib.error(), measurements.front().kept));
        return std::nullopt;
    }
    LibraryAddModel m;
    for (const Measurement& measurement : measurements) {
        m.measurements.push_back(measurement.caption);
    }
    if (auto all = lib.value()->list()) {
        for (const library::RecordSummary& s : all.value()) {
            if (std::find(m.types.begin(), m.types.end(), s.valveType) == m.types.end()) {
                m.types.push_back(s.valveType);
            }
        }
        std::sort(m.types.begin(), m.types.end());
    }
    if (const auto last = lastRecord(*lib.value())) {
        m.type = last->valveType;
    }
    m.label = nextLibraryLabel(m.type);
    return m;
}

void Form1::mnuAddToLibrary_Click() {
    const auto start = libraryAddModel();
    if (!start) {
        return;
    }
    frmLibraryAdd dialog(
        *start, [this](const std::string& type) { return nextLibraryLabel(type); }, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const LibraryAddModel& chosen = dialog.model();
    // The measurements again: the list cannot have changed while the dialog was open, a
    // modal dialog lets no measurement run.
    const std::vector<Measurement> measurements = measurementsToStore();
    const auto index = static_cast<std::size_t>(std::max(0, chosen.measurement));
    if (index < measurements.size()) {
        addToLibrary(measurements[index], chosen.type, chosen.label, chosen.note);
    }
}

bool Form1::addToLibrary(const Measurement& measurement, const std::string& type,
                         const std::string& label, const std::string& note) {
    LibraryEntry entry{measurement.points,   measurement.figures, type, label, note,
                       measurement.modelJson};
    if (!storeInLibrary(*library_, state_, model_, std::move(entry), measurement.kept,
                        app_.dialogs)) {
        return false;
    }
    if (frmLibrary_ && frmLibrary_->isVisible()) {
        frmLibrary_->reload();
    }
    return true;
}

void Form1::showRecordOnGraph(const library::StoredRecord& stored) {
    loadStoredBlock(state_.dblMeasMatrix, stored.record.points);
    // Shown beside the present curves, on the scale of the first axis, when neither axis
    // shows stored curves yet and the second one is free.
    constexpr int kNone = 0, kStoredIa = 6, kStoredIs = 7, kCopyScale = 3;
    const auto showsStored = [](int var) { return var == kStoredIa || var == kStoredIs; };
    if (!showsStored(model_.cboY1Var) && !showsStored(model_.cboY2Var) &&
        model_.cboY2Var == kNone) {
        model_.cboY2Var = kStoredIa;
        model_.cboY2Scale = kCopyScale;
    }
    Form1Hooks::call(logic_->hooks.DrawPicture);
    refreshFromModel();
}

void Form1::openRecord(const library::StoredRecord& stored) {
    const std::string name =
        "of library record " + std::to_string(stored.id) + " (" + stored.record.label + ")";
    commit([this, &stored, &name] { setupFile_->openText(stored.record.setupText, name); });
}

frmDist* Form1::distortionWindow() {
    if (!frmDist_) {
        frmDist_ = new frmDist(
            state_.dblMeasMatrix, state_.dist, app_.dialogs,
            [this] { Form1Hooks::call(logic_->hooks.DrawPicture); }, this);
    }
    return frmDist_;
}

frmModel* Form1::modelWindow() {
    if (!frmModel_) {
        frmModel_ = new frmModel(
            state_.dblMeasMatrix, model_.txtTitle, state_.modelOverlay, app_.dialogs,
            [this] { Form1Hooks::call(logic_->hooks.DrawPicture); }, this);
    }
    return frmModel_;
}

void Form1::cmdQT_Click() {
    switch (state_.quickTest.intQTtype) {
        case 1:
            showWindow(triodeQuickTestWindow());
            break;
        case 2:
            showWindow(pentodeQuickTestWindow());
            break;
        default:
            break;
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    logic_->Form_Unload();
    // Every other window goes with the main window.
    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w->isWindow()) {
            w->close();
        }
    }
    event->accept();
}

}  // namespace ostrino
