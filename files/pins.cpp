#include "files/pins.h"

#include "common/print_writer.h"
#include "common/text_file.h"

namespace ostrino {

namespace {

// The first n characters of a UTF-8 text (a character is never split). A stray
// continuation byte (not after a lead byte, or a fourth one) counts as a character of its
// own, so that a damaged file cannot make a name of any length.
std::string firstCharacters(const std::string& s, std::size_t n) {
    std::size_t count = 0;
    int continuations = 0;  // continuation bytes the current character may still take
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto byte = static_cast<unsigned char>(s[i]);
        const bool continuation = (byte & 0xC0) == 0x80 && continuations > 0;
        if (continuation) {
            --continuations;
            continue;
        }
        if (count++ == n) {
            return s.substr(0, i);
        }
        continuations = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    }
    return s;
}

}  // namespace

const PinNames& defaultPinNames() {
    static const PinNames names{"",         "anode",    "screen",   "grid",     "cathode",
                                "H1 (int)", "H2 (int)", "H1 (ext)", "H2 (ext)", "H1 (bat)",
                                "H2 (bat)", "aux 1",    "aux 2",    "aux 3",    "n.c."};
    return names;
}

std::string defaultPinFileText() {
    PrintWriter out;
    for (const std::string& name : defaultPinNames()) {
        out.str(name).endLine();
    }
    return out.text();
}

PinNames parsePinNames(std::string_view content) {
    PinNames names;
    LineReader reader(content);
    for (std::string& name : names) {
        name = firstCharacters(reader.nextLine().value_or(""), kPinNameLength);
    }
    return names;
}

FrmPinModel::FrmPinModel(PinState pins, Dialogs& dialogs) : pins_(pins), dialogs_(dialogs) {}

void FrmPinModel::open() {
    LoadPins2();
    pins_.blnPinsForm = true;
}

void FrmPinModel::close() {
    pins_.blnPinsForm = false;
}

void FrmPinModel::LoadPins2() {
    std::string reason;
    if (!fileExists(kPinFile)) {
        if (writeFileAtomically(kPinFile, defaultPinFileText(), reason)) {
            dialogs_.message(kNewPinFileMessage, MessageIcon::None);
        } else {
            dialogs_.message(std::string("The pin file ") + kPinFile + " cannot be written (" +
                             reason + "). The default names are shown.");
        }
    }

    if (const std::optional<std::string> content = readWholeFile(kPinFile, reason)) {
        names = parsePinNames(*content);
    } else {
        names = defaultPinNames();
        // The write failure above has been reported already.
        if (fileExists(kPinFile)) {
            dialogs_.message(std::string("The pin file ") + kPinFile + " cannot be read (" +
                             reason + "). The default names are shown.");
        }
    }

    // A position outside the list shows the blank name; intPins keeps it until the user
    // chooses.
    for (std::size_t i = 0; i < cboPin.size(); ++i) {
        const int position = pins_.intPins[i];
        cboPin[i] = position >= 0 && position < kPinNames ? position : 0;
    }
}

void FrmPinModel::StorePins() {
    if (!pins_.blnPinsForm) {
        return;
    }
    for (std::size_t i = 0; i < cboPin.size(); ++i) {
        pins_.intPins[i] = cboPin[i];
    }
}

void FrmPinModel::ClearPins() {
    if (!pins_.blnPinsForm) {
        return;
    }
    cboPin.fill(0);
    for (std::size_t i = 0; i < cboPin.size(); ++i) {
        pins_.intPins[i] = 0;
    }
}

void FrmPinModel::pinSelected(int index, int position) {
    if (index < 0 || index >= kPinLists || position < 0 || position >= kPinNames) {
        return;
    }
    cboPin[static_cast<std::size_t>(index)] = position;
    StorePins();
}

}  // namespace ostrino
