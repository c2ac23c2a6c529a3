#pragma once
// The window "Pins": the connection at the top cap and at socket pins 1..12, chosen from the
// names of the pin file. Shown modeless; each opening re-reads the pin file.

#include <QComboBox>
#include <QWidget>
#include <array>

#include "files/pins.h"
#include "platform/dialogs.h"

namespace ostrino {

class frmPin : public QWidget {
  public:
    frmPin(PinState pins, Dialogs& dialogs, QWidget* parent = nullptr);

    // Writes the model into the widgets.
    void refreshFromModel();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    FrmPinModel model_;
    std::array<QComboBox*, kPinLists> cboPin_{};
};

}  // namespace ostrino
