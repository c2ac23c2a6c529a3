#pragma once
// The names that the measurement type gives the sweep's variables and constants, as the main
// window's captions show them; the graph's legend and the data files print them too.

#include <string>

namespace ostrino {

struct SweepCaptions {
    std::string lblNameVar1 = "Vg";
    std::string txtNameVar1 = "   Vg";
    std::string lblNameVar2 = "Va";
    std::string lblNameConst1 = "Vs";
    std::string lblNameConst2 = "Vh";
    bool txtConst2Visible = true;  // and its caption lblNameConst2
};

}  // namespace ostrino
