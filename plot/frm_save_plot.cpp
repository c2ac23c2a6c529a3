#include "plot/frm_save_plot.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace ostrino {

frmSavePlot::frmSavePlot(Canvas& canvas, Dialogs& dialogs, const std::string& txtTitle,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), model_(canvas, dialogs) {
    setObjectName("frmSavePlot");
    setWindowTitle("Save Plot");
    setAttribute(Qt::WA_DeleteOnClose);
    model_.load(txtTitle);

    auto* frame = new QGroupBox;
    frame->setObjectName("frmPlot");
    auto* layout = new QVBoxLayout(frame);

    lblFileName_ = new QLabel(QString::fromStdString(model_.lblFileName));
    lblFileName_->setObjectName("lblFileName");
    lblFileName_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblFileName_);

    auto* save = new QPushButton("Save");
    save->setObjectName("cmdSavePlot2");
    save->setDefault(true);
    auto* saveAs = new QPushButton("Save As ...");
    saveAs->setObjectName("cmdSavePlot1");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(saveAs);
    layout->addLayout(buttons);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(frame);

    connect(save, &QPushButton::clicked, this, [this] { afterSave(model_.cmdSavePlot2_Click()); });
    connect(saveAs, &QPushButton::clicked, this,
            [this] { afterSave(model_.cmdSavePlot1_Click()); });
}

void frmSavePlot::afterSave(bool saved) {
    if (saved && !model_.visible) {
        close();  // and unload
    }
}

}  // namespace ostrino
