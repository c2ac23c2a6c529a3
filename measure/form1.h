#pragma once
// The main window of Ostrino_3p11.

#include <QMainWindow>
#include <QPointer>

#include "link/frm_com.h"
#include "measure/console_app.h"

namespace ostrino {

class Form1 : public QMainWindow {
  public:
    explicit Form1(ConsoleApp& app, QWidget* parent = nullptr);

    // Shows the communication window, creating it on first use.
    void cmdDebugCom_Click();
    frmCom* communicationWindow() { return frmCom_; }

  private:
    ConsoleApp& app_;
    QPointer<frmCom> frmCom_;
};

}  // namespace ostrino
