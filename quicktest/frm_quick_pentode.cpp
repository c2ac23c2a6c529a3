#include "quicktest/frm_quick_pentode.h"

#include <QGridLayout>
#include <QGroupBox>

namespace ostrino {

frmQTpentode::frmQTpentode(QuickTestContext ctx, std::function<void()> showTriode, QWidget* parent)
    : QuickTestWindow(parent), logic_(std::move(ctx)) {
    setObjectName("frmQTpentode");
    setWindowTitle("Quick Test pentode");
    QTpentodeModel& m = logic_.model;
    logic_.refresh = [this] { refreshFromModel(); };
    logic_.showTriode = [this, showTriode] {
        hide();
        if (showTriode) {
            showTriode();
        }
    };
    const auto checkField = [this](int code) { logic_.CheckFields(code); };
    auto field = [this, checkField](const char* name, std::string* text, int code) {
        return entry(name, text, [checkField, code] { checkField(code); });
    };

    const SettingsRow rows[3] = {
        {"Va (V)", "txtVa", "txtVaProc", "txtVaStep", "lblVa", &m.txtVa, &m.txtVaProc, &m.txtVaStep,
         &m.lblVa, 21},
        {"Vs (V)", "txtVs", "txtVsProc", "txtVsStep", "lblVs", &m.txtVs, &m.txtVsProc, &m.txtVsStep,
         &m.lblVs, 31},
        {"Vg (V)", "txtVg", "txtVgProc", "txtVgStep", nullptr, &m.txtVg, &m.txtVgProc, &m.txtVgStep,
         nullptr, 41},
    };
    QGroupBox* settings = settingsFrame(rows, checkField);

    const CurrentRow currentRows[2] = {
        {"Ia (mA)", "txtIaNom", &m.txtIaNom, 11, "lblIa", "lblIaProc", "ProgressBar1", &m.lblIa,
         &m.lblIaProc, &m.ProgressBar1},
        {"Is (mA)", "txtIsNom", &m.txtIsNom, 12, "lblIs", "lblIsProc", "ProgressBar2", &m.lblIs,
         &m.lblIsProc, &m.ProgressBar2},
    };
    QGroupBox* currents = currentsFrame(currentRows, checkField);

    auto* derivatives = new QGroupBox("Derivatives");
    derivatives->setObjectName("fraDerivatives");
    auto* d = new QGridLayout(derivatives);
    d->addWidget(heading("Nominal"), 0, 1, 1, 2);
    d->addWidget(heading("Meas"), 0, 3, 1, 2);
    d->addWidget(heading("% of nominal"), 0, 5);
    struct Result {
        const char* caption;
        const char* nominalName;
        std::string* nominalText;
        int code;
        const char* nominalUnit;
        const char *value, *unit, *proc;
        const std::string *valueText, *unitText, *procText;
    };
    const Result results[] = {
        {"Gma = dIa/dVg", "txtGmNom", &m.txtGmNom, 14, "(mA/V)", "lblIaVg", "lblIaVgmA",
         "lblGmProc", &m.lblIaVg, &m.lblIaVgmA, &m.lblGmProc},
        {"Ra = dVa/dIa", "txtRaNom", &m.txtRaNom, 13, "(kohm)", "lblVaIa", "lblVaIaohm",
         "lblRaProc", &m.lblVaIa, &m.lblVaIaohm, &m.lblRaProc},
        {"mu1 = Gma*Ra", "txtMuNom", &m.txtMuNom, 15, "(-)", "lblMu1", nullptr, "lblMuProc",
         &m.lblMu1, nullptr, &m.lblMuProc},
        {"Gm1 = dIa/dVs", nullptr, nullptr, 0, nullptr, "lblIaVs", "lblIaVsmA", nullptr, &m.lblIaVs,
         &m.lblIaVsmA, nullptr},
        {"Gms = dIs/dVg", nullptr, nullptr, 0, nullptr, "lblIsVg", "lblIsVgmA", nullptr, &m.lblIsVg,
         &m.lblIsVgmA, nullptr},
        {"Rs = dVs/dIs", nullptr, nullptr, 0, nullptr, "lblVsIs", "lblVsIsohm", nullptr, &m.lblVsIs,
         &m.lblVsIsohm, nullptr},
        {"mu2 = Gms*Rs", nullptr, nullptr, 0, nullptr, "lblMu2", nullptr, nullptr, &m.lblMu2,
         nullptr, nullptr},
        {"Gm2 = dIs/dVa", nullptr, nullptr, 0, nullptr, "lblIsVa", "lblIsVamA", nullptr, &m.lblIsVa,
         &m.lblIsVamA, nullptr},
    };
    int row = 1;
    for (const Result& res : results) {
        d->addWidget(new QLabel(res.caption), row, 0);
        if (res.nominalName != nullptr) {
            d->addWidget(field(res.nominalName, res.nominalText, res.code), row, 1);
            d->addWidget(new QLabel(res.nominalUnit), row, 2);
        }
        d->addWidget(label(res.value, res.valueText), row, 3);
        if (res.unit != nullptr) {
            d->addWidget(label(res.unit, res.unitText), row, 4);
        }
        if (res.proc != nullptr) {
            d->addWidget(label(res.proc, res.procText), row, 5);
        }
        ++row;
    }
    d->setColumnStretch(3, 1);

    QuickTestSettings& q = logic_.context().settings;
    QGridLayout* bottom =
        controls({&m.txtTitle, &q.chkAppendPentode, &m.cmdTestCaption, &m.cmdTestEnabled,
                  [this] { logic_.TestButtonUpdate(); }, [this] { logic_.cmdTest_Click(); },
                  [this] { logic_.cmdReport_Click(); }, &m.chkTriode, &m.chkPentode, true,
                  [this] { logic_.chkTriode_Click(); }});
    arrange({settings, currents, derivatives}, bottom);

    logic_.Form_Load();
    refreshFromModel();
}

void frmQTpentode::UpdateFields() {
    logic_.UpdateFields();
    refreshFromModel();
}

}  // namespace ostrino
