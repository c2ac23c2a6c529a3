#include "files/frm_save_data.h"

#include <QGroupBox>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <functional>

namespace ostrino {

frmSaveData::frmSaveData(const ExportSources& sources, const SweepCaptions& captions,
                         Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), export_(sources, captions, dialogs) {
    setObjectName("frmSaveData");
    setWindowTitle("Save Data");

    auto* outer = new QVBoxLayout(this);
    auto* frame = new QGroupBox("Save Data");
    frame->setObjectName("fraSaveData");
    auto* frameLayout = new QVBoxLayout(frame);

    auto* parameter = new QGroupBox("Parameter: ");
    parameter->setObjectName("fraParameter");
    auto* options = new QVBoxLayout(parameter);
    for (std::size_t i = 0; i < Option1_.size(); ++i) {
        const int index = static_cast<int>(i);
        Option1_[i] = new QRadioButton(exportQuantity(index).caption);
        Option1_[i]->setObjectName("Option1_" + QString::number(index));
        options->addWidget(Option1_[i]);
    }
    frameLayout->addWidget(parameter);

    chkAddText_ = new QCheckBox("Add Text");
    chkAddText_->setObjectName("chkAddText");
    frameLayout->addWidget(chkAddText_);

    // Each export closes the window, so the choices start afresh next time.
    const auto button = [&](const char* name, const char* caption, std::function<void()> run) {
        auto* b = new QPushButton(caption);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [this, run = std::move(run)] {
            run();
            close();
        });
        frameLayout->addWidget(b);
    };
    button("cmdSaveList", "Save as List",
           [this] { export_.SaveDataList(chosenOption(), chkAddText_->isChecked()); });
    button("cmdSaveBlock", "Save as Block",
           [this] { export_.SaveDataBlock(chosenOption(), chkAddText_->isChecked()); });
    button("cmdSaveMeasMX", "Save Measurement Matrix", [this] { export_.SaveMeasMX(); });

    outer->addWidget(frame);
    reset();
}

void frmSaveData::showEvent(QShowEvent* event) {
    // A window restored from the task bar keeps its choices.
    if (!event->spontaneous()) {
        reset();
    }
    QWidget::showEvent(event);
}

void frmSaveData::reset() {
    Option1_[0]->setChecked(true);
    chkAddText_->setChecked(true);
}

int frmSaveData::chosenOption() const {
    for (int i = 0; i < 6; ++i) {
        if (Option1_[static_cast<std::size_t>(i)]->isChecked()) {
            return i;
        }
    }
    return 6;
}

}  // namespace ostrino
