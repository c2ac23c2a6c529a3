#pragma once
// The main window of Ostrino_3p11: measurement set-up, miscellaneous buttons, curve output,
// the graph and its settings. The widgets mirror Form1Model; the logic lives in Form1Logic.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <memory>

#include "app/ostrino3/console_app.h"
#include "distortion/frm_dist.h"
#include "files/frm_cal.h"
#include "files/frm_pin.h"
#include "files/frm_save_data.h"
#include "link/frm_com.h"
#include "measure/form1_logic.h"
#include "measure/form1_setup.h"
#include "model/frm_model.h"
#include "platform/qt/canvas_view.h"
#include "plot/frm_save_plot.h"
#include "plot/graph_settings.h"
#include "plot/plotter.h"
#include "quicktest/frm_quick_pentode.h"
#include "quicktest/frm_quick_triode.h"

namespace ostrino {

class Form1 : public QMainWindow {
  public:
    explicit Form1(ConsoleApp& app, QWidget* parent = nullptr);
    ~Form1() override;

    Form1Logic& logic() { return *logic_; }

    // Shows the communication window, creating it on first use.
    void cmdDebugCom_Click();
    void cmdCalibration_Click();
    void cmdSave_Click();
    void cmdSavePlot_Click();
    void cmdPinsOn_Click();
    // Shows the quick-test window that intQTtype names (1 triode, 2 pentode), if any.
    void cmdQT_Click();
    // The quick-test windows, created on first use.
    frmQTtriode* triodeQuickTestWindow();
    frmQTpentode* pentodeQuickTestWindow();
    // The distortion window, created on first use (and anew after it was closed).
    frmDist* distortionWindow();
    // The window "Valve model" ("Tools", "Valve model..."), created on first use and kept.
    frmModel* modelWindow();
    Plotter& plotter() { return *plotter_; }
    frmCom* communicationWindow() { return frmCom_; }
    frmCal* calibrationWindow() { return frmCal_; }
    // The "Tools" menu of the menu bar: the windows that go beyond the measurement itself.
    QMenu* toolsMenu() { return toolsMenu_; }

    // Widgets from the model and the state, with their signals blocked.
    void refreshFromModel();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLineEdit* entry(const char* name, std::string Form1Model::*field, int width,
                     std::function<void()> commit);
    QComboBox* list(const char* name, std::initializer_list<const char*> items,
                    std::function<void(int)> onChoice);
    QPushButton* button(const char* name, const char* caption, std::function<void()> onClick);
    void commit(std::function<void()> action);
    QuickTestContext quickTestContext();
    void showWindow(QWidget* w);
    QWidget* buildSetupFrame();
    QWidget* buildMiscFrame();
    QWidget* buildCurveFrame();
    QWidget* buildGraphFrame();

    ConsoleApp& app_;
    std::unique_ptr<Form1Logic> logic_;
    QMenu* toolsMenu_ = nullptr;
    Form1Model& model_;
    ConsoleState& state_;
    bool refreshing_ = false;
    bool committing_ = false;

    QPointer<frmCom> frmCom_;
    QPointer<frmCal> frmCal_;
    QPointer<frmSaveData> frmSaveData_;
    QPointer<frmPin> frmPin_;
    QPointer<frmSavePlot> frmSavePlot_;
    QPointer<frmQTtriode> frmQTtriode_;
    QPointer<frmQTpentode> frmQTpentode_;
    QPointer<frmDist> frmDist_;
    QPointer<frmModel> frmModel_;
    CanvasView* picScreen_ = nullptr;
    std::unique_ptr<GraphSettingsLogic> graph_;
    std::unique_ptr<Plotter> plotter_;
    std::unique_ptr<SetupFile> setupFile_;

    QComboBox* cboMeasType_ = nullptr;
    QComboBox* cboIaRange_ = nullptr;
    QComboBox* cboIsRange_ = nullptr;
    QComboBox* cboAverage_ = nullptr;
    QComboBox* cboCompliance_ = nullptr;
    QLabel* lblNameVar1_ = nullptr;
    QLineEdit* txtNameVar1_ = nullptr;
    QLabel* lblNameVar2_ = nullptr;
    QLabel* lblNameConst1_ = nullptr;
    QLabel* lblNameConst2_ = nullptr;
    QCheckBox* chkMeasLog_ = nullptr;
    QPushButton* cmdMeasStart_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QLabel* lblInProgress_ = nullptr;
    QCheckBox* chkBeep_ = nullptr;
    QCheckBox* chkExtVheat_ = nullptr;
    QCheckBox* chkColor_ = nullptr;
    QCheckBox* chkGrid_ = nullptr;
    QCheckBox* chkKeepPlot_ = nullptr;
    QRadioButton* optTitle_[3] = {nullptr, nullptr, nullptr};
    QLabel* lblY1Unit_ = nullptr;
    QLabel* lblY2Unit_ = nullptr;
    std::vector<std::pair<QLineEdit*, std::string Form1Model::*>> entries_;
    std::vector<std::pair<QComboBox*, int Form1Model::*>> modelLists_;
};

}  // namespace ostrino
