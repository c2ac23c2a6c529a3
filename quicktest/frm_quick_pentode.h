#pragma once
// The window "Quick Test pentode". The widgets mirror QTpentodeModel; the logic lives in
// QTpentode.

#include <functional>

#include "quicktest/quick_pentode.h"
#include "quicktest/quick_window.h"

namespace ostrino {

class frmQTpentode : public QuickTestWindow {
  public:
    // showTriode is called after this window has hidden itself for the triode test.
    frmQTpentode(QuickTestContext ctx, std::function<void()> showTriode, QWidget* parent);

    QTpentode& logic() { return logic_; }
    // After a setup file was opened: the entry fields from the settings.
    void UpdateFields();

  private:
    QTpentode logic_;
};

}  // namespace ostrino
