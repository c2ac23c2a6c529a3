#include "library/window/frm_library_add.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace ostrino {

frmLibraryAdd::frmLibraryAdd(LibraryAddModel model,
                             std::function<std::string(const std::string&)> proposeLabel,
                             QWidget* parent)
    : QDialog(parent), model_(std::move(model)), proposeLabel_(std::move(proposeLabel)) {
    setObjectName("frmLibraryAdd");
    setWindowTitle("Add to library");

    cboMeasurement_ = new QComboBox;
    cboMeasurement_->setObjectName("cboMeasurement");
    for (const std::string& m : model_.measurements) {
        cboMeasurement_->addItem(QString::fromStdString(m));
    }
    cboMeasurement_->setCurrentIndex(model_.measurement);
    cboValveType_ = new QComboBox;
    cboValveType_->setObjectName("cboValveType");
    cboValveType_->setEditable(true);
    cboValveType_->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& t : model_.types) {
        cboValveType_->addItem(QString::fromStdString(t));
    }
    cboValveType_->setEditText(QString::fromStdString(model_.type));
    txtLabel_ = new QLineEdit(QString::fromStdString(model_.label));
    txtLabel_->setObjectName("txtLabel");
    txtLabel_->setPlaceholderText("serial number or box position");
    txtNote_ = new QLineEdit(QString::fromStdString(model_.note));
    txtNote_->setObjectName("txtNote");
    const int width = txtLabel_->fontMetrics().horizontalAdvance("M") * 24;
    txtLabel_->setMinimumWidth(width);
    txtNote_->setMinimumWidth(width);
    proposed_ = model_.label;

    auto* form = new QFormLayout;
    form->addRow("&Measurement", cboMeasurement_);
    form->addRow("Valve &type", cboValveType_);
    form->addRow("&Label", txtLabel_);
    form->addRow("&Note", txtNote_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    auto* add = buttons->addButton("Add", QDialogButtonBox::AcceptRole);
    add->setObjectName("cmdAdd");
    add->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmLibraryAdd::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    // A label nobody has typed over follows the type.
    connect(cboValveType_, &QComboBox::currentTextChanged, this, [this](const QString& type) {
        if (proposeLabel_ && txtLabel_->text().toStdString() == proposed_) {
            proposed_ = proposeLabel_(type.trimmed().toStdString());
            txtLabel_->setText(QString::fromStdString(proposed_));
        }
    });
}

void frmLibraryAdd::accept() {
    model_.measurement = cboMeasurement_->currentIndex();
    model_.type = cboValveType_->currentText().trimmed().toStdString();
    model_.label = txtLabel_->text().trimmed().toStdString();
    model_.note = txtNote_->text().toStdString();
    if (model_.type.empty() || model_.label.empty()) {
        QMessageBox::warning(this, "Add to library",
                             model_.type.empty()
                                 ? "Give the valve type, for example ECC83."
                                 : "Give a label: the valve's serial number or box position.");
        return;
    }
    QDialog::accept();
}

}  // namespace ostrino
