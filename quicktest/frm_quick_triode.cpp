#include "quicktest/frm_quick_triode.h"

#include <QGridLayout>
#include <QGroupBox>

namespace ostrino {

frmQTtriode::frmQTtriode(QuickTestContext ctx, std::function<void()> showPentode, QWidget* parent)
    : QuickTestWindow(parent), logic_(std::move(ctx)) {
    setObjectName("frmQTtriode");
    setWindowTitle("Quick Test triode");
    QTtriodeModel& m = logic_.model;
    logic_.refresh = [this] { refreshFromModel(); };
    logic_.showPentode = [this, showPentode] {
        hide();
        if (showPentode) {
            showPentode();
        }
    };
    const auto checkField = [this](int code) { logic_.CheckFields(code); };
    auto field = [this, checkField](const char* name, std::string* text, int code) {
        return entry(name, text, [checkField, code] { checkField(code); });
    };

    const SettingsRow rows[3] = {
        {"Va section 1 (V)", "txtVa1", "txtVa1Proc", "txtVa1Step", "lblVa1", &m.txtVa1,
         &m.txtVa1Proc, &m.txtVa1Step, &m.lblVa1, 21},
        {"Va section 2 (V)", "txtVa2", "txtVa2Proc", "txtVa2Step", "lblVa2", &m.txtVa2,
         &m.txtVa2Proc, &m.txtVa2Step, &m.lblVa2, 31},
        {"Vg (V)", "txtVg", "txtVgProc", "txtVgStep", nullptr, &m.txtVg, &m.txtVgProc, &m.txtVgStep,
         nullptr, 41},
    };
    QGroupBox* settings = settingsFrame(rows, checkField);

    const CurrentRow currentRows[2] = {
        {"Section 1  Ia (mA)", "txtIa1Nom", &m.txtIa1Nom, 11, "lblIa1", "lblIa1Proc",
         "ProgressBar1", &m.lblIa1, &m.lblIa1Proc, &m.ProgressBar1},
        {"Section 2  Ia (mA)", "txtIa2Nom", &m.txtIa2Nom, 12, "lblIa2", "lblIa2Proc",
         "ProgressBar2", &m.lblIa2, &m.lblIa2Proc, &m.ProgressBar2},
    };
    QGroupBox* currents = currentsFrame(currentRows, checkField);

    auto* derivatives = new QGroupBox("Derivatives");
    derivatives->setObjectName("fraDerivatives");
    auto* d = new QGridLayout(derivatives);
    d->addWidget(heading("Nominal"), 0, 1, 1, 2);
    d->addWidget(heading("Section 1"), 0, 3, 1, 3);
    d->addWidget(heading("Section 2"), 0, 6, 1, 3);
    d->addWidget(new QLabel("Ra = dVa/dIa"), 1, 0);
    d->addWidget(field("txtRaNom", &m.txtRaNom, 13), 1, 1);
    d->addWidget(new QLabel("(kohm)"), 1, 2);
    d->addWidget(label("lblVa1Ia1", &m.lblVa1Ia1), 1, 3);
    d->addWidget(label("lblVa1Ia1ohm", &m.lblVa1Ia1ohm), 1, 4);
    d->addWidget(label("lblRa1Proc", &m.lblRa1Proc), 1, 5);
    d->addWidget(label("lblVa2Ia2", &m.lblVa2Ia2), 1, 6);
    d->addWidget(label("lblVa2Ia2ohm", &m.lblVa2Ia2ohm), 1, 7);
    d->addWidget(label("lblRa2Proc", &m.lblRa2Proc), 1, 8);
    d->addWidget(new QLabel("Gm = dIa/dVg"), 2, 0);
    d->addWidget(field("txtGmNom", &m.txtGmNom, 14), 2, 1);
    d->addWidget(new QLabel("(mA/V)"), 2, 2);
    d->addWidget(label("lblIa1Vg", &m.lblIa1Vg), 2, 3);
    d->addWidget(label("lblIa1VgmA", &m.lblIa1VgmA), 2, 4);
    d->addWidget(label("lblGm1Proc", &m.lblGm1Proc), 2, 5);
    d->addWidget(label("lblIa2Vg", &m.lblIa2Vg), 2, 6);
    d->addWidget(label("lblIa2VgmA", &m.lblIa2VgmA), 2, 7);
    d->addWidget(label("lblGm2Proc", &m.lblGm2Proc), 2, 8);
    d->addWidget(new QLabel("mu = Gm*Ra"), 3, 0);
    d->addWidget(field("txtMuNom", &m.txtMuNom, 15), 3, 1);
    d->addWidget(new QLabel("(-)"), 3, 2);
    d->addWidget(label("lblMu1", &m.lblMu1), 3, 3);
    d->addWidget(label("lblMu1Proc", &m.lblMu1Proc), 3, 5);
    d->addWidget(label("lblMu2", &m.lblMu2), 3, 6);
    d->addWidget(label("lblMu2Proc", &m.lblMu2Proc), 3, 8);

    QuickTestSettings& q = logic_.context().settings;
    QGridLayout* bottom =
        controls({&m.txtTitle, &q.chkAppendTriode, &m.cmdTestCaption, &m.cmdTestEnabled,
                  [this] { logic_.TestButtonUpdate(); }, [this] { logic_.cmdTest_Click(); },
                  [this] { logic_.cmdReport_Click(); }, &m.chkTriode, &m.chkPentode, false,
                  [this] { logic_.chkPentode_Click(); }});
    arrange({settings, currents, derivatives}, bottom);

    logic_.Form_Load();
    refreshFromModel();
}

void frmQTtriode::UpdateFields() {
    logic_.UpdateFields();
    refreshFromModel();
}

}  // namespace ostrino
