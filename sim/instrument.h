#pragma once
// The instrument side of the third-generation protocol, free of any I/O: characters go
// in with the time they arrived, characters come out with the time they are due.
//
// Echo, time-outs and faults as for every SimulatedInstrument. A complete command is
// carried out: "00" settings, "10" set the point and
// measure, "20" set the point, "30" end of sweep, "40" heater, "50" ping; "10" and "50"
// are answered with a 38-character result.

#include <string>

#include "sim/simulated_instrument.h"

namespace ostrino::sim {

class Instrument : public SimulatedInstrument {
  public:
    explicit Instrument(const SimOptions& options);

    // The 38-character result for the present state (no fault applied).
    std::string result() const;

    std::string deviceName() const override { return "simulated Ostrino"; }

  private:
    void execute(const std::string& cmd, double t, bool faulty) override;
    void applyPoint(int a, int b, int c, int d);
    void setHeater(int d);
    std::string buildResult(bool badGain) const;
    double dividerCountsPerVolt() const;

    // settings
    int iaRange_ = 8, isRange_ = 8, averaging_ = 0x40, compliance_ = 0x8F;
    int codeA_ = 0, codeB_ = 0, codeC_ = 0;
};

}  // namespace ostrino::sim
