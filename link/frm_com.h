#pragma once
// The communication debug window "Communications": mirrors every exchange with the
// instrument and offers the port choice, ping, esc, closing the port and two switches.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>

#include "common/calibration.h"
#include "link/frm_com_model.h"
#include "link/instrument_link.h"
#include "platform/qt/serial_device_list.h"

namespace ostrino {

class frmCom : public QWidget {
  public:
    // afterEsc runs after "Send esc" (the main window returns to its ground state).
    // devices lists the machine's serial devices (the system's by default).
    frmCom(CalibrationRecord& cal, FrmComModel& model, InstrumentLink& link,
           std::function<void()> afterEsc, QWidget* parent = nullptr,
           SerialDeviceList::Source devices = {});
    ~frmCom() override;

    // Shows the window modeless and keeps it above all other windows; the list of serial
    // devices is read again.
    void showOnTop();
    // Writes the model into the widgets.
    void refreshFromModel();

  private:
    QLabel* valueLabel(const char* objectName, const std::string& text);

    CalibrationRecord& cal_;  // the port number is kept with the calibration
    FrmComModel& model_;
    InstrumentLink& link_;
    std::function<void()> afterEsc_;
    bool refreshing_ = false;

    QComboBox* cboComNumber_ = nullptr;
    SerialDeviceList* lstSerialDevices_ = nullptr;
    QCheckBox* chkDebug_ = nullptr;
    QCheckBox* chkcorrection_ = nullptr;
    QLabel* lblStringSend_ = nullptr;
    QLabel* lblStringEcho_ = nullptr;
    std::array<QLabel*, 4> lblValue_{};
    std::array<QLabel*, 4> lblInteger_{};
    std::array<QLabel*, 4> lblString_{};
    std::array<QLabel*, 8> lblStr_{};
    std::array<QLabel*, 8> lblInt_{};
    std::array<QLabel*, 8> lblVal_{};
    QLabel* lblStat_ = nullptr;
    QLabel* lblIaRetGainHex_ = nullptr;
    QLabel* lblIaRetGainDec_ = nullptr;
    QLabel* lblIsRetGainHex_ = nullptr;
    QLabel* lblIsRetGainDec_ = nullptr;
    QLabel* lblActualAverage_ = nullptr;
    QLabel* lblIaGain_ = nullptr;
    QLabel* lblIsGain_ = nullptr;
    QLabel* lblAverage_ = nullptr;
    QLabel* lblCompliance_ = nullptr;
};

}  // namespace ostrino
