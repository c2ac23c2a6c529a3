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
#include <optional>
#include <string>
#include <vector>

#include "app/ostrino3/console_app.h"
#include "app/ostrino3/library_link.h"
#include "distortion/frm_dist.h"
#include "files/frm_cal.h"
#include "files/frm_pin.h"
#include "files/frm_save_data.h"
#include "library/window/frm_library.h"
#include "library/window/frm_library_add.h"
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

    // "Tools" -> "Library...": the window, created on first use.
    void mnuLibrary_Click();
    frmLibrary* libraryWindow();
    // "Tools" -> "Add to library...": asks what to store, the type, label and note.
    void mnuAddToLibrary_Click();

    // A measurement the console can store: the sweep or the results of a quick test.
    struct Measurement {
        std::string caption;  // "Sweep: Ia = f(Va), 42 points", "Quick test triode"
        std::vector<library::MeasuredPoint> points;
        std::vector<QuickTestFigure> figures;
        std::string kept;                      // where it stays when the library cannot take it
        std::optional<std::string> modelJson;  // the model fitted to this very sweep
    };
    // What can be stored now, the one measured last first.
    std::vector<Measurement> measurementsToStore();
    // What the dialog starts with: the measurements, the library's types, the type of its
    // last record and the next label of that type. nullopt after a message when there is
    // nothing to store or no library to store it in.
    std::optional<LibraryAddModel> libraryAddModel();
    // The label of the next valve of a type: its last label in the library counted up.
    std::string nextLibraryLabel(const std::string& type);
    // Stores the measurement; false after a message saying why not and what has become of it.
    bool addToLibrary(const Measurement& measurement, const std::string& type,
                      const std::string& label, const std::string& note);
    // The window's "Show on graph" and "Open".
    void showRecordOnGraph(const library::StoredRecord& stored);
    void openRecord(const library::StoredRecord& stored);
    LibraryAccess& libraryAccess() { return *library_; }

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
    QPointer<frmLibrary> frmLibrary_;
    std::unique_ptr<LibraryAccess> library_;
    enum class Measured { Nothing, Sweep, TriodeTest, PentodeTest };
    Measured lastMeasured_ = Measured::Nothing;
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
