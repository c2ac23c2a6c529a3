#pragma once
// What the communication debug window shows and the two switches it offers. The link
// writes it during every exchange, whether or not the window is on screen.

#include <array>
#include <functional>
#include <string>

namespace ostrino {

struct FrmComModel {
    int cboComNumber = 0;       // "Com Port 1" .. "Com Port 10"
    bool chkDebug = false;      // pause 3 s after each measure command
    bool chkcorrection = true;  // measured anode/screen voltages replace the set values

    std::string lblStringSend;
    std::string lblStringEcho;

    // Set-point fields: index 0 Va, 1 Vs, 2 Vg, 3 Vf.
    std::array<std::string, 4> lblValue{"---", "---", "---", "---"};
    std::array<std::string, 4> lblInteger{"---", "---", "---", "---"};
    std::array<std::string, 4> lblString{"---", "---", "---", "---"};

    // Result fields 1..8 at index 0..7.
    std::array<std::string, 8> lblStr{"---", "---", "---", "---", "---", "---", "---", "---"};
    std::array<std::string, 8> lblInt{"---", "---", "---", "---", "---", "---", "---", "---"};
    std::array<std::string, 8> lblVal{"---", "---", "---", "---", "---", "---", "---", "---"};

    std::string lblStat;
    std::string lblIaRetGainHex = "--";
    std::string lblIaRetGainDec = "--";
    std::string lblIsRetGainHex = "--";
    std::string lblIsRetGainDec = "--";
    std::string lblActualAverage = "---";

    // The four fields of the last settings string.
    std::string lblIaGain;
    std::string lblIsGain;
    std::string lblAverage;
    std::string lblCompliance;

    // Repaints the window at once when it is on screen. Serial exchanges block the
    // window thread, so this is how the window keeps up with each character.
    std::function<void()> refresh;

    void refreshNow() const {
        if (refresh) {
            refresh();
        }
    }
};

}  // namespace ostrino
