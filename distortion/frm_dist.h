#pragma once
// The window "Distortion Analysis": the four settings, "Analyze" and the results. The
// widgets mirror DistModel; the analysis lives in DistAnalysis. While the window is open the
// graph draws the load line.

#include <functional>

#include "distortion/dist_analysis.h"
#include "platform/qt/form_window.h"

namespace ostrino {

class frmDist : public FormWindow {
  public:
    // drawPicture redraws the main window's graph. The window deletes itself when closed,
    // so that opening it again starts from the defaults.
    frmDist(const MeasMatrix& curves, DistortionOverlay& overlay, Dialogs& dialogs,
            std::function<void()> drawPicture, QWidget* parent);

    DistAnalysis& logic() { return logic_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void setOverlayVisible(bool visible);

    DistortionOverlay& overlay_;
    std::function<void()> drawPicture_;
    DistAnalysis logic_;
};

}  // namespace ostrino
