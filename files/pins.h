#pragma once
// Pin assignments: which connection (anode, grid, a heater lead ...) is made at the top cap
// and at socket pins 1..12. The names offered come from "pins.oss" in the current folder,
// created with a default list when it is missing and never rewritten after that. The
// chosen positions are kept by the console (21 entries); entries 13..20 belong to no pin.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/dialogs.h"

namespace ostrino {

inline constexpr const char* kPinFile = "pins.oss";
inline constexpr const char* kNewPinFileMessage = "A new pinning file has been created";
inline constexpr int kPinNames = 15;
inline constexpr int kPinLists = 13;  // the top cap and socket pins 1..12
inline constexpr std::size_t kPinNameLength = 10;

using PinNames = std::array<std::string, kPinNames>;

// The names written into a new pin file, the first one blank (no lead).
const PinNames& defaultPinNames();
std::string defaultPinFileText();

// The names of a pin file in file order, each cut to its first 10 characters. Lines past
// the fifteenth are ignored; missing ones give blank names. A line is taken whole, commas
// and all.
PinNames parsePinNames(std::string_view content);

// What the pin window keeps in the console's lasting state.
struct PinState {
    std::array<int, 21>& intPins;  // list position of each pin's connection
    bool& blnPinsForm;             // the pin window is open
};

// The pin window's lists and the operations behind them.
class FrmPinModel {
  public:
    FrmPinModel(PinState pins, Dialogs& dialogs);

    // The window opens: LoadPins2, then blnPinsForm. Closing clears blnPinsForm.
    void open();
    void close();

    // Makes the pin file when it is missing, reads the names and selects intPins(0..12).
    void LoadPins2();
    // The selected positions of all 13 lists into intPins(0..12), while the window is open.
    void StorePins();
    // Every pin back to the blank name, while the window is open.
    void ClearPins();

    // The user chose position in list index (0 = TOP, 1..12 = socket pins).
    void pinSelected(int index, int position);

    PinNames names;  // the items of every list
    std::array<int, kPinLists> cboPin{};

  private:
    PinState pins_;
    Dialogs& dialogs_;
};

}  // namespace ostrino
