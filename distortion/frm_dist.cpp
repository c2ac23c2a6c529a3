#include "distortion/frm_dist.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace ostrino {

namespace {

const std::string kAnalyzeCaption = "Analyze";

}  // namespace

frmDist::frmDist(const MeasMatrix& curves, DistortionOverlay& overlay, Dialogs& dialogs,
                 std::function<void()> drawPicture, QWidget* parent)
    : FormWindow(parent),
      overlay_(overlay),
      drawPicture_(std::move(drawPicture)),
      logic_(curves, overlay, dialogs,
             {drawPicture_,
              [this] {
                  // Stays in front of the main window after the graph redrew.
                  raise();
                  activateWindow();
              },
              [this] { refreshFromModel(); }}) {
    setObjectName("frmDist");
    setWindowTitle("Distortion Analysis");
    setAttribute(Qt::WA_DeleteOnClose);
    DistModel& m = logic_.model;

    auto* setup = new QGroupBox("Setup");
    setup->setObjectName("fraSetup");
    auto* s = new QGridLayout(setup);
    struct Setting {
        const char *caption, *name, *unit;
        std::string* text;
    };
    const Setting settings[] = {
        {"Vsupply", "txtVsupply", "V", &m.txtVsupply},
        {"Rload", "txtRload", "kohm", &m.txtRload},
        {"Vgrid", "txtVgrid", "V", &m.txtVgrid},
        {"Vsign", "txtVsign", "V", &m.txtVsign},
    };
    int r = 0;
    for (const Setting& st : settings) {
        auto* box = entry(st.name, st.text, [this] { logic_.ReadFields(); });
        auto* caption = new QLabel(st.caption);
        caption->setBuddy(box);
        s->addWidget(caption, r, 0);
        s->addWidget(box, r, 1);
        s->addWidget(new QLabel(st.unit), r, 2);
        ++r;
    }
    s->addWidget(button("cmdAnalyze", &kAnalyzeCaption, [this] { logic_.cmdAnalyze_Click(); }), r,
                 0, 1, 3);
    s->setRowStretch(r + 1, 1);
    s->setColumnStretch(1, 1);

    auto* dc = new QGroupBox("DC Analysis");
    dc->setObjectName("fraDC");
    auto* d = new QGridLayout(dc);
    struct Result {
        const char *caption, *name;
        const std::string* text;
        const char* unitName;
        const std::string* unit;
        const char* fixedUnit;
    };
    const auto results = [this](QGridLayout* g, std::initializer_list<Result> rows) {
        int row = 0;
        for (const Result& res : rows) {
            g->addWidget(new QLabel(res.caption), row, 0);
            g->addWidget(label(res.name, res.text), row, 1);
            if (res.unit != nullptr) {
                g->addWidget(label(res.unitName, res.unit), row, 2);
            } else {
                g->addWidget(new QLabel(res.fixedUnit), row, 2);
            }
            ++row;
        }
        g->setColumnStretch(1, 1);
    };
    results(d, {
                   {"Ia", "lblIaDC", &m.lblIaDC, nullptr, nullptr, "mA"},
                   {"Va", "lblVaDC", &m.lblVaDC, nullptr, nullptr, "V"},
                   {"P tube", "lblPtubeDC", &m.lblPtubeDC, "lblPtubeDCUnit", &m.lblPtubeDCUnit,
                    nullptr},
                   {"P supply", "lblPsupplyDC", &m.lblPsupplyDC, "lblPsupplyDCUnit",
                    &m.lblPsupplyDCUnit, nullptr},
               });

    auto* ac = new QGroupBox("AC Analysis");
    ac->setObjectName("fraAC");
    // The averages and the gain above the harmonics, their values in the amplitude column.
    auto* fft = new QGridLayout(ac);
    const struct {
        const char *caption, *name;
        const std::string* text;
        const char* unit;
    } averages[] = {
        {"Va (average)", "lblVaAV", &m.lblVaAV, "V"},
        {"Ia (average)", "lblIaAV", &m.lblIaAV, "mA"},
        {"Gain", "lblGain", &m.lblGain, ""},
    };
    int row = 0;
    for (const auto& a : averages) {
        fft->addWidget(new QLabel(a.caption), row, 0);
        fft->addWidget(label(a.name, a.text), row, 1);
        fft->addWidget(new QLabel(a.unit), row, 2);
        ++row;
    }
    fft->setRowMinimumHeight(row, 8);
    const int first = row + 1;
    fft->addWidget(heading("Ampl (V)"), first, 1);
    fft->addWidget(heading("Pwr (mW)"), first, 2);
    fft->addWidget(heading("Distortion (%)"), first, 3);
    fft->addWidget(heading("Level (dBc)"), first, 4);
    const char* const rows[] = {"1st (fund)", "2nd", "3rd", "4th", "5th"};
    static const char* const kAmpl[] = {"lblFftAmpl_0", "lblFftAmpl_1", "lblFftAmpl_2",
                                        "lblFftAmpl_3", "lblFftAmpl_4"};
    static const char* const kPwr[] = {"lblFftPwr_0", "lblFftPwr_1", "lblFftPwr_2", "lblFftPwr_3",
                                       "lblFftPwr_4"};
    static const char* const kDist[] = {nullptr, "lblFftDist_1", "lblFftDist_2", "lblFftDist_3",
                                        "lblFftDist_4"};
    static const char* const kdB[] = {nullptr, "lblFftdB_1", "lblFftdB_2", "lblFftdB_3",
                                      "lblFftdB_4"};
    for (int k = 0; k < DistModel::kHarmonics; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const int line = first + 1 + k;
        fft->addWidget(new QLabel(rows[k]), line, 0);
        fft->addWidget(label(kAmpl[k], &m.lblFftAmpl[i]), line, 1);
        fft->addWidget(label(kPwr[k], &m.lblFftPwr[i]), line, 2);
        if (k > 0) {
            fft->addWidget(label(kDist[k], &m.lblFftDist[i]), line, 3);
            fft->addWidget(label(kdB[k], &m.lblFftdB[i]), line, 4);
        }
    }
    const int total = first + 1 + DistModel::kHarmonics;
    fft->addWidget(new QLabel("total:"), total, 0);
    auto* power = new QHBoxLayout;
    power->addWidget(label("lblFftPwrTotal", &m.lblFftPwrTotal));
    power->addWidget(label("lblFftPwrTotalUnit", &m.lblFftPwrTotalUnit));
    fft->addLayout(power, total, 2);
    fft->addWidget(label("lblFftDistTotal", &m.lblFftDistTotal), total, 3);
    for (int c = 1; c <= 4; ++c) {
        fft->setColumnStretch(c, 1);
    }
    fft->setRowStretch(total + 1, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(setup);
    left->addWidget(dc);
    left->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(ac, 1);

    logic_.Form_Load();
}

void frmDist::setOverlayVisible(bool visible) {
    if (overlay_.visible == visible) {
        return;
    }
    overlay_.visible = visible;
    if (drawPicture_) {
        drawPicture_();
    }
}

void frmDist::showEvent(QShowEvent* event) {
    FormWindow::showEvent(event);
    setOverlayVisible(true);
}

void frmDist::hideEvent(QHideEvent* event) {
    FormWindow::hideEvent(event);
    // A minimised window is still open (and still visible to Qt): the load line stays.
    setOverlayVisible(isVisible());
}

}  // namespace ostrino
