#include "model/frm_model.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/qt/form_widgets.h"

namespace ostrino {

namespace {

const std::string kFit = "Fit";
const std::string kOpen = "Open\u2026";
const std::string kSave = "Save\u2026";
const std::string kExport = "Export SPICE\u2026";
const std::string kAnalyze = "Analyze on model";

void fill(QTableWidget* t, const std::vector<std::vector<std::string>>& rows) {
    t->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r][c]));
            // Values to the right; captions (the first column, the harmonics) to the left.
            const auto column = static_cast<int>(c);
            if (c > 0 && t->horizontalHeaderItem(column)->text() != "Harmonic") {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            t->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
}

std::vector<std::vector<std::string>> cells(const std::vector<model::TableRow>& rows) {
    std::vector<std::vector<std::string>> out;
    for (const model::TableRow& r : rows) {
        out.push_back({r.caption, r.value});
    }
    return out;
}

}  // namespace

frmModel::frmModel(const MeasMatrix& curves, const std::string& title, ModelOverlay& overlay,
                   Dialogs& dialogs, std::function<void()> drawPicture, QWidget* parent)
    : FormWindow(parent), logic_(curves, title, overlay, dialogs, {std::move(drawPicture), {}}) {
    setObjectName("frmModel");
    setWindowTitle("Valve model");
    model::ModelToolModel& m = logic_.model;

    // The model and its files.
    auto* fraModel = new QGroupBox("Model");
    fraModel->setObjectName("fraModel");
    auto* g = new QGridLayout(fraModel);
    QStringList models;
    for (const model::ModelInfo& info : model::allModels()) {
        models << QString::fromUtf8(info.title.data(), static_cast<qsizetype>(info.title.size()));
    }
    cboModel_ = list("cboModel", "Model", models, &model::ModelTool::cboModel_Click);
    cboSection_ = list("cboSection", "Section", {"Section 1 (Va, Ia)", "Section 2 (Vs, Is)"},
                       &model::ModelTool::cboSection_Click);
    cboWeighting_ =
        list("cboWeighting", "Weighting", {"Absolute (mA)", "Relative (% of each current)"},
             &model::ModelTool::cboWeighting_Click);
    int row = 0;
    for (QComboBox* c : {cboModel_, cboSection_, cboWeighting_}) {
        auto* caption = new QLabel(c->accessibleName());
        caption->setBuddy(c);
        g->addWidget(caption, row, 0);
        g->addWidget(c, row, 1);
        ++row;
    }
    g->addWidget(button("cmdFit", &kFit,
                        [this] {
                            logic_.cmdFit_Click();
                            showModel();
                        }),
                 row++, 0, 1, 2);
    chkShowOnGraph_ = check("chkShowOnGraph", "Show on graph", &m.chkShowOnGraph, [this](bool on) {
        logic_.chkShowOnGraph_Click(on);
        showModel();
    });
    g->addWidget(chkShowOnGraph_, row++, 0, 1, 2);
    auto* files = new QGridLayout;
    files->addWidget(button("cmdOpenModel", &kOpen,
                            [this] {
                                logic_.cmdOpenModel_Click();
                                showModel();
                            }),
                     0, 0);
    files->addWidget(
        button(
            "cmdSaveModel", &kSave, [this] { logic_.cmdSaveModel_Click(); }, &m.haveModel),
        0, 1);
    files->addWidget(
        button(
            "cmdExportSpice", &kExport, [this] { logic_.cmdExportSpice_Click(); }, &m.haveModel),
        1, 0, 1, 2);
    g->addLayout(files, row, 0, 1, 2);
    g->setColumnStretch(1, 1);

    // The stage, with the distortion analysis's four settings.
    auto* fraStage = new QGroupBox("Stage on the model");
    fraStage->setObjectName("fraStage");
    auto* s = new QGridLayout(fraStage);
    struct Setting {
        const char *caption, *name, *unit, *accessible;
        std::string* text;
    };
    const Setting settings[] = {
        {"Vsupply", "txtVsupply", "V", "Supply voltage", &m.txtVsupply},
        {"Rload", "txtRload", "kohm", "Anode load", &m.txtRload},
        {"Vgrid", "txtVgrid", "V", "Grid bias", &m.txtVgrid},
        {"Vsign", "txtVsign", "V", "Signal peak", &m.txtVsign},
    };
    row = 0;
    for (const Setting& st : settings) {
        auto* box = entry(st.name, st.text, [this] { logic_.ReadStageFields(); });
        box->setAccessibleName(st.accessible);
        auto* caption = new QLabel(st.caption);
        caption->setBuddy(box);
        s->addWidget(caption, row, 0);
        s->addWidget(box, row, 1);
        s->addWidget(new QLabel(st.unit), row, 2);
        ++row;
    }
    s->addWidget(button("cmdAnalyze", &kAnalyze,
                        [this] {
                            logic_.cmdAnalyze_Click();
                            showModel();
                        }),
                 row++, 0, 1, 3);
    s->setRowStretch(row, 1);
    // The results beside the settings.
    tblStage_ = table("tblStage", "Stage results", {"Result", "Value", "Harmonic", "Level"});
    // All four rows in sight.
    tblStage_->setFixedHeight(tblStage_->horizontalHeader()->sizeHint().height() +
                              4 * tblStage_->verticalHeader()->defaultSectionSize() +
                              2 * tblStage_->frameWidth() + 2);
    s->addWidget(tblStage_, 0, 3, row + 1, 1);
    s->setColumnStretch(3, 1);

    // The fit.
    auto* fraFit = new QGroupBox("Fit");
    fraFit->setObjectName("fraFit");
    auto* f = new QVBoxLayout(fraFit);
    lblModel_ = label("lblModel", &m.lblModel);
    lblModel_->setWordWrap(true);
    f->addWidget(lblModel_);
    tblParameters_ = table("tblParameters", "Parameters and errors", {"Parameter", "Value"});
    f->addWidget(tblParameters_, 1);
    auto* curvesCaption = new QLabel("Errors of each curve");
    f->addWidget(curvesCaption);
    tblCurves_ = table("tblCurves", "Errors of each curve",
                       {"Curve", "Vg (V)", "Points", "RMS (mA)", "Worst (mA)"});
    curvesCaption->setBuddy(tblCurves_);
    f->addWidget(tblCurves_, 1);

    // The model beside its fit, the stage below both.
    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(fraModel);
    left->addStretch(1);
    top->addLayout(left);
    top->addWidget(fraFit, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(fraStage);

    showModel();
    refreshFromModel();
    resizeWithinScreen(this, QSize(900, 720));
}

QComboBox* frmModel::list(const char* name, const char* accessible, const QStringList& items,
                          void (model::ModelTool::*onChoice)(int)) {
    auto* c = new QComboBox;
    c->setObjectName(name);
    c->setAccessibleName(accessible);
    c->addItems(items);
    connect(c, qOverload<int>(&QComboBox::activated), this, [this, onChoice](int index) {
        commit([this, onChoice, index] {
            (logic_.*onChoice)(index);
            showModel();
        });
    });
    return c;
}

QTableWidget* frmModel::table(const char* name, const char* accessible, const QStringList& heads) {
    auto* t = new QTableWidget(0, static_cast<int>(heads.size()));
    t->setObjectName(name);
    t->setAccessibleName(accessible);
    t->setHorizontalHeaderLabels(heads);
    t->verticalHeader()->setVisible(false);
    // The columns share the width; none is cut below what its heading needs.
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    if (heads.size() % 2 == 0) {
        // Captions and their values: the captions as wide as they need, the values the rest.
        for (int c = 0; c < static_cast<int>(heads.size()); c += 2) {
            t->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
        }
    }
    t->horizontalHeader()->setMinimumSectionSize(t->fontMetrics().horizontalAdvance("Worst (mA)") +
                                                 12);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 8);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setMinimumHeight(t->horizontalHeader()->sizeHint().height() * 4);
    return t;
}

void frmModel::showModel() {
    const model::ModelToolModel& m = logic_.model;
    {
        const QSignalBlocker q1(cboModel_), q2(cboSection_), q3(cboWeighting_);
        cboModel_->setCurrentIndex(m.cboModel);
        cboSection_->setCurrentIndex(m.cboSection);
        cboWeighting_->setCurrentIndex(m.cboWeighting);
    }
    cboSection_->setEnabled(m.sectionEnabled);
    chkShowOnGraph_->setEnabled(m.haveModel);
    fill(tblParameters_, cells(m.parameterRows));
    std::vector<std::vector<std::string>> curves;
    for (const auto& r : m.curveRows) {
        curves.emplace_back(r.begin(), r.end());
    }
    fill(tblCurves_, curves);
    // The quiescent point, gain and total on the left, the harmonics beside them.
    std::vector<std::vector<std::string>> stage;
    std::size_t left = 0, right = 0;
    for (const model::TableRow& r : m.stageRows) {
        const bool harmonic = r.caption.ends_with("harmonic");
        std::size_t& n = harmonic ? right : left;
        if (stage.size() <= n) {
            stage.resize(n + 1, std::vector<std::string>(4));
        }
        stage[n][harmonic ? 2 : 0] = r.caption;
        stage[n][harmonic ? 3 : 1] = r.value;
        ++n;
    }
    fill(tblStage_, stage);
}

void frmModel::showEvent(QShowEvent* event) {
    FormWindow::showEvent(event);
    logic_.setWindowVisible(true);
}

void frmModel::hideEvent(QHideEvent* event) {
    FormWindow::hideEvent(event);
    // A minimised window is still open: its curves stay.
    logic_.setWindowVisible(isVisible());
}

}  // namespace ostrino
