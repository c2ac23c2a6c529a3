#pragma once
// The graph area picScreen: a plain plot of the current sweep (anode current against the
// swept voltage), one colour per curve, redrawn after every measured point.

#include <QWidget>

#include "common/console_state.h"
#include "measure/form1_model.h"

namespace ostrino {

class PlotWidget : public QWidget {
  public:
    PlotWidget(ConsoleState& state, Form1Model& model, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {640, 560}; }
    QSize minimumSizeHint() const override { return {320, 280}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ConsoleState& state_;
    Form1Model& model_;
};

}  // namespace ostrino
