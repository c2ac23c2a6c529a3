#pragma once
// The logic of the first-generation console's window: measurement set-up and its checks,
// graph settings, the heater, the sweep over the serial link, Store / Recall and saving.
//
// Long operations sleep in short steps and pump window events, so "Abort !" can run in
// between; the buttons reach a running sweep only through intMeasStat. Serial waits
// block on the port against the monotonic clock: 3 s for each echo, 30 s for each
// result character.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "console1/gen1_protocol.h"
#include "console1/gen1_state.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serial_exchange.h"
#include "platform/serial_port.h"

namespace ostrino::gen1 {

inline constexpr double kEchoTimeout = 3.0;
inline constexpr double kResultCharTimeout = 30.0;
inline constexpr double kDebugPause = 3.0;
inline constexpr double kRelaySettleTime = 1.0;
inline constexpr const char* kDataFilter = "Ostrino datafile (*.osd)|*.osd";
inline constexpr double kRecoveryDrainTime = 0.1;  // stray answers after a fault
// After a fault the esc character goes out before the next command; reasons name the port
// by its COM number.
inline constexpr LinkProfile kLinkProfile{
    kCommandLength, kResultLength,      kEchoTimeout, kResultCharTimeout,
    kEscChar,       kRecoveryDrainTime, true,         true};

// The voltages of one point.
struct PointVoltages {
    double vf = 0.0, vg = 0.0, vs = 0.0, va = 0.0;
};
PointVoltages pointVoltages(const MeasSettings& s, double var1, double var2);
// Var1 at step k of n, linear or crowded towards the start.
double var1Value(const MeasSettings& s, int k, bool logSpacing);

// The measurement-type list, in order.
const std::array<const char*, kMeasTypes>& measTypeNames();

class Console1 {
  public:
    Console1(Gen1State& state, SerialPort& port, Clock& clock, Dialogs& dialogs);

    // Widgets from the controls' state; the graph drawn again; the "Communication"
    // frame's labels shown at once (the debug view follows every character).
    std::function<void()> Refresh;
    std::function<void()> DrawPicture;
    std::function<void()> RefreshCom;

    // Start-up: the first measurement type, heater off, graph drawn.
    void Form_Load();

    // Measurement set-up.
    void cboMeasType_Click(int index);
    void SelectMeas();
    void UpdateMeasFields();
    // A measurement text box committed: all of them are read, then checked.
    void measField_Commit();
    // txtVar2 committed: the stepping values, then the check of the other fields.
    void txtVar2_Commit();
    void ProcessVar2String();
    void CheckMeasFields();

    // Graph settings.
    enum class GraphBox { Xrange, Xticks, Yrange, Yticks };
    void graphField_Commit(GraphBox box);
    void UpdateGraphFields();
    void checkXminmax();
    void checkYminmax();
    void checkXticks();
    void checkYticks();
    // Presets 1..6 ("400 V / 200 mA" ...); 4 to 6 do nothing.
    void cmdPreset_Click(int n);

    // The sweep.
    // Returns the number of points composed (at most 200).
    int ComposeMatrix();
    std::string ComposeMeasString(int row, std::string_view strCommand) const;
    bool highGrid() const { return blnHighGrid_; }
    LinkResult SetRelais();
    void DoMeasurement();
    // What to tell the user after a run in which a current read as the converter's full
    // scale: which curves, and the wider range that would measure them. Empty when none.
    std::string fullScaleReport() const;
    bool TurnOnFilament();
    bool TurnOffFilament();
    // The heater voltage of the run's first point: the constant heater voltage, or the
    // start of a heater sweep.
    double heaterVoltage() const;

    void cmdMeasStart_Click();
    void cmdMeasStop_Click();
    void cmdStore_Click();
    void cmdRecall_Click();
    void cmdSave_Click();
    // Without the dialog; false after a message.
    bool saveDataTo(const std::string& path);

    // The link. A fault has been shown to the user when it is returned (unless the window
    // is closing).
    LinkResult SndString(std::string_view strCommandString);
    LinkResult RecString(std::string& strResultString);
    void SndEsc();
    // Decodes a result into row i of the result matrix and shows its fields. A result
    // that cannot be read is a fault and leaves the row's currents alone.
    LinkResult DeComposeString(int i, std::string_view strResultString);
    void cmdCloseCom_Click();

    // The window is closing: the port is closed, a running sweep ends at its next pause
    // and nothing more is sent.
    void shutDown();
    bool closing() const { return closing_; }

  private:
    template <typename Pred>
    void waitYielding(double seconds, Pred keepWaiting);
    // Shows the fault's message.
    LinkResult told(LinkResult r);
    // An operation's closing message, with the port's reason when it could not be opened
    // or failed.
    void reportLinkFault(const std::string& message);
    void call(const std::function<void()>& hook) {
        if (hook) {
            hook();
        }
    }
    void readMeasFields();
    void installGraphDefaults();
    void readGraphFields();
    void setMeasuringControls();

    Gen1State& state_;
    Controls& c_;
    Clock& clock_;
    Dialogs& dialogs_;
    SerialExchange exchange_;
    bool blnHighGrid_ = false;
    // The current ranges the relays were last set to; results are read with these, so
    // that ticking a range box during a run cannot rescale the points already coming in.
    bool relayAnodeAlt_ = false;
    bool relayScreenAlt_ = false;
    bool closing_ = false;
    bool running_ = false;           // DoMeasurement has not returned yet
    bool heaterOffPending_ = false;  // "Abort !" pressed again while an aborted point finished
};

}  // namespace ostrino::gen1
