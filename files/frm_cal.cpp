#include "files/frm_cal.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <utility>

#include "files/calibration_file.h"

namespace ostrino {

frmCal::frmCal(CalibrationRecord& cal, Dialogs& dialogs, std::function<void()> versionChanged,
               QWidget* parent)
    : QWidget(parent, Qt::Window),
      cal_(cal),
      dialogs_(dialogs),
      model_(cal, std::move(versionChanged)) {
    setObjectName("frmCal");
    setWindowTitle("Calibration");

    auto* outer = new QVBoxLayout(this);

    auto* frame = new QGroupBox("Calibration");
    frame->setObjectName("frmCalibration");
    auto* grid = new QGridLayout(frame);
    for (std::size_t i = 0; i < slrCalVal_.size(); ++i) {
        const int row = static_cast<int>(i);
        const QString k = QString::number(row + 1);

        auto* name = new QLabel(QString::fromUtf8(kCalVarLabels[i].data(),
                                                  static_cast<qsizetype>(kCalVarLabels[i].size())));
        name->setObjectName("lblCalVar" + k);
        grid->addWidget(name, row, 0);

        auto* slider = new QSlider(Qt::Horizontal);
        slider->setObjectName("slrCalVal" + k);
        slider->setRange(FrmCalModel::kSliderMin, FrmCalModel::kSliderMax);
        slider->setSingleStep(FrmCalModel::kSliderSmallChange);
        slider->setPageStep(FrmCalModel::kSliderLargeChange);
        slider->setValue(FrmCalModel::kSliderStart);
        slider->setMinimumWidth(220);
        slider->setAccessibleName(name->text());
        name->setBuddy(slider);
        grid->addWidget(slider, row, 1);
        slrCalVal_[i] = slider;

        auto* value = new QLabel;
        value->setObjectName("lblCalVal" + k);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance("0.0000"));
        grid->addWidget(value, row, 2);
        lblCalVal_[i] = value;

        // Programmatic refreshes block the slider's signals, so this is the user's move
        // (mouse or keyboard).
        connect(slider, &QSlider::valueChanged, this, [this, row](int position) {
            model_.sliderClicked(row, position);
            refreshFromModel();
        });
    }
    grid->setColumnStretch(1, 1);
    outer->addWidget(frame);

    auto* version = new QGroupBox("Version");
    version->setObjectName("frmVersion");
    auto* versionLayout = new QVBoxLayout(version);
    optVersion_[0] = new QRadioButton("Version 3 (300V)");
    optVersion_[0]->setObjectName("optVersion0");
    optVersion_[1] = new QRadioButton("Version 3+ (400V)");
    optVersion_[1]->setObjectName("optVersion1");
    for (int index = 0; index < 2; ++index) {
        QRadioButton* button = optVersion_[static_cast<std::size_t>(index)];
        versionLayout->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this, index](bool checked) {
            if (checked) {
                model_.versionSelected(index);
                refreshFromModel();
            }
        });
    }
    auto* warning = new QLabel(
        "Note!  If you select a version number that does not correspond to your hardware, it "
        "may seriously damage your Ostrino");
    warning->setObjectName("lblWarning");
    warning->setWordWrap(true);
    versionLayout->addWidget(warning);
    outer->addWidget(version);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cmdSave = new QPushButton("Save to Calibration File");
    cmdSave->setObjectName("cmdSave");
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    buttons->addWidget(cmdSave);
    outer->addLayout(buttons);
    outer->addStretch(1);

    model_.load();
    refreshFromModel();
}

void frmCal::refreshFromModel() {
    for (std::size_t i = 0; i < slrCalVal_.size(); ++i) {
        const QSignalBlocker block(slrCalVal_[i]);
        slrCalVal_[i]->setValue(model_.slrCalVal[i]);
        lblCalVal_[i]->setText(QString::fromStdString(model_.lblCalVal[i]));
    }
    const QSignalBlocker block0(optVersion_[0]);
    const QSignalBlocker block1(optVersion_[1]);
    optVersion_[static_cast<std::size_t>(model_.optVersion)]->setChecked(true);
}

void frmCal::cmdSave_Click() {
    std::string error;
    if (!SaveCalFile(cal_, cal_.strCalibrationFile, error)) {
        dialogs_.message(error);
    }
}

}  // namespace ostrino
