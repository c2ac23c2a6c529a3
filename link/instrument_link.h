#pragma once
// The instrument link: composing and decomposing the instrument's strings with the
// calibration record, and carrying them over the serial port with the echo check.
//
// Every command character is sent singly and must come back from the instrument within
// 2 s before the next one goes out; a result is read character by character, each
// within 10 s. Waits block on the port against the monotonic clock, never spinning.

#include <functional>
#include <string>
#include <string_view>

#include "common/calibration.h"
#include "common/console_settings.h"
#include "common/meas_matrix.h"
#include "link/command_strings.h"
#include "link/frm_com_model.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serial_exchange.h"
#include "platform/serial_port.h"

namespace ostrino {

inline constexpr const char* kConnectionMessage =
    "Fix Connection with Ostrino and Restart Measurement";
inline constexpr double kEchoTimeout = 2.0;
inline constexpr double kResultCharTimeout = 10.0;
inline constexpr double kRecoveryDrainTime = 0.1;
inline constexpr int kPortCount = 10;  // "Com Port 1" .. "Com Port 10"
// After a fault the esc character goes out when the port is opened again (the ground
// state closes it) or with the next esc.
inline constexpr LinkProfile kLinkProfile{
    kCommandLength,     kResultLength, kEchoTimeout, kResultCharTimeout, kEscChar,
    kRecoveryDrainTime, false,         false,        kPortCount};

// What the link reads of the console, and what it writes: the results into the matrix, the
// supply voltage that the ping measures, and the compliance flag. The console owns it all.
struct LinkSources {
    MeasMatrix& matrix;            // set points read, results written
    const CalibrationRecord& cal;  // scaling of every value, the port number
    double& vsupply;               // supply voltage used in every conversion
    double& vsupplyMeasured;       // supply voltage of the last result
    bool& compliance;              // set when a result reports current compliance
    // The instrument settings chosen in the main window (list indexes).
    const int& iaRange;
    const int& isRange;
    const int& average;
    const int& complianceRange;
    // The heater supply: the external one when it is chosen.
    const bool& externalHeater;
    const double& externalHeaterVoltage;

    double maxHeaterVoltage() const {
        return heaterSupplyLimit(externalHeater, externalHeaterVoltage);
    }
};

class InstrumentLink {
  public:
    InstrumentLink(const LinkSources& sources, FrmComModel& com, SerialPort& port, Clock& clock,
                   Dialogs& dialogs);

    // The ground state of the measurement engine; called by DoPing after a fault.
    std::function<void()> onGroundState;

    // Builds the "10" or "20" string from row i of the matrix. A set point outside the
    // hardware's limits gives an empty string, which SndString refuses with the reason.
    std::string ComposeMeasString(int i, std::string_view strCommand);
    // The same from row i of another matrix of set points (a quick test's own points).
    std::string ComposeMeasString(const MeasMatrix& m, int i, std::string_view strCommand);
    // Every exchange returns what went wrong; a fault has been shown to the user
    // (exclamation icon) when it is returned.
    LinkResult SndSettings();
    // A heater voltage outside the heater supply's limit is not sent.
    LinkResult SetFilament(double dblHeaterVoltage);
    // Decomposes a result into row i. A result that cannot be read (a field with
    // non-hex characters, a range index outside 0..7) is a fault and changes nothing.
    // After a failed read (afterFault) what arrived is still shown and stored, and a
    // result that cannot be read is not reported again.
    LinkResult DeComposeString(int i, std::string_view strResultString, bool afterFault = false);
    // The same into row i of another matrix of set points.
    LinkResult DeComposeString(MeasMatrix& m, int i, std::string_view strResultString,
                               bool afterFault = false);

    // Only a command of 18 characters is sent; any other is refused.
    LinkResult SndString(std::string_view strCommandString);
    LinkResult RecString(std::string& strResultString);
    void SndEsc();
    // Settings and ping; true when the exchange succeeded. After a fault it shows the
    // connection message and calls the ground state.
    bool DoPing();

    bool portOpen() const { return port_.isOpen(); }
    void closePort();
    // The program is ending: the port is closed and stays closed, nothing more is sent.
    void shutDown();

    // The connection message, with the reason as a sentence of its own when the port
    // could not be opened or failed; taking it clears the reason.
    std::string takeConnectionMessage();
    // Shows the connection message (exclamation icon).
    void reportConnectionFault();

    // After a communication fault the instrument may hold a partial command; the next
    // opening of the port sends the esc character first and drops whatever comes back.
    bool recoveryPending() const { return exchange_.recoveryPending(); }

  private:
    // Shows the fault's message; a fault found here (not in the exchange) is noted too.
    LinkResult told(LinkResult r);
    LinkResult refused(LinkError error, std::string message);

    LinkSources in_;
    FrmComModel& com_;
    SerialPort& port_;
    Clock& clock_;
    Dialogs& dialogs_;
    SerialExchange exchange_;
    std::string refusedSetPoint_;  // why the point composed last was refused
};

}  // namespace ostrino
