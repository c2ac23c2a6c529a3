#pragma once
// The window "Quick Test triode". The widgets mirror QTtriodeModel; the logic lives in
// QTtriode.

#include <functional>

#include "quicktest/quick_triode.h"
#include "quicktest/quick_window.h"

namespace ostrino {

class frmQTtriode : public QuickTestWindow {
  public:
    // showPentode is called after this window has hidden itself for the pentode test.
    frmQTtriode(QuickTestContext ctx, std::function<void()> showPentode, QWidget* parent);

    QTtriode& logic() { return logic_; }
    // After a setup file was opened: the entry fields from the settings.
    void UpdateFields();

  private:
    QTtriode logic_;
};

}  // namespace ostrino
