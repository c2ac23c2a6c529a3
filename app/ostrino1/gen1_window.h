#pragma once
// The one window of Ostrino_1p2 ("Ostrino (V1.1)"): the frames "Measurement Set-Up",
// "Curve Output" and "Communication" beside the graph. The widgets mirror the controls'
// state in Gen1State; the logic lives in Console1.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/ostrino1/gen1_app.h"
#include "console1/gen1_plot.h"
#include "platform/qt/canvas_view.h"
#include "platform/qt/serial_device_list.h"

namespace ostrino::gen1 {

class Form1 : public QMainWindow {
  public:
    explicit Form1(Gen1App& app, QWidget* parent = nullptr);
    ~Form1() override;

    // Widgets from the controls' state, with their signals blocked.
    void refreshFromModel();
    // The "Communication" frame's labels.
    void refreshCom();
    CanvasView* graph() { return picScreen_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLineEdit* entry(const char* name, std::string Controls::*field, int width,
                     std::function<void()> commit);
    QPushButton* button(const char* name, const char* caption, std::function<void()> onClick);
    QCheckBox* check(const char* name, const char* caption, bool Controls::*field, bool redraws);
    QLabel* fieldLabel(const QString& name);
    QWidget* buildSetupFrame();
    QWidget* buildCurveFrame();
    QWidget* buildComFrame();
    void redraw();

    Gen1App& app_;
    Gen1State& state_;
    Controls& c_;
    Console1& console_;
    CanvasView* picScreen_ = nullptr;
    std::unique_ptr<Gen1Plotter> plotter_;
    bool refreshing_ = false;

    QComboBox* cboMeasType_ = nullptr;
    QComboBox* cboComNumber_ = nullptr;
    SerialDeviceList* lstSerialDevices_ = nullptr;
    QLabel* lblNameVar1_ = nullptr;
    QLabel* lblNameVar2_ = nullptr;
    QLabel* lblNameConst1_ = nullptr;
    QLabel* lblNameConst2_ = nullptr;
    QLineEdit* txtConst2_ = nullptr;
    QPushButton* cmdMeasStart_ = nullptr;
    QPushButton* cmdRecall_ = nullptr;
    QLabel* lblMeasuring_ = nullptr;
    QGroupBox* comFrame_ = nullptr;
    QLabel* lblStringSend_ = nullptr;
    QLabel* lblStringEcho_ = nullptr;
    QLabel* lblStat_ = nullptr;
    QLabel* lblFullScale_ = nullptr;
    std::array<QLabel*, 8> lblStr_{};
    std::array<QLabel*, 8> lblInt_{};
    std::array<QLabel*, 8> lblVal_{};
    std::vector<std::pair<QLineEdit*, std::string Controls::*>> entries_;
    std::vector<std::pair<QCheckBox*, bool Controls::*>> checks_;
};

}  // namespace ostrino::gen1
