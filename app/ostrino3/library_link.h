#pragma once
// The console and its valve library: a record made of what the console holds, a record's
// curves brought back as the stored curves, and the library file opened on first use.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/console_state.h"
#include "library/library.h"
#include "measure/form1_model.h"
#include "platform/dialogs.h"
#include "quicktest/quick_common.h"

namespace ostrino {

// The program and version a record names as the console that measured it.
inline constexpr const char* kLibraryConsoleName = "Ostrino_3p11 3.11";

// The measured rows of a block (curve number 1 or more), up to the row that ends its data.
std::vector<library::MeasuredPoint> measuredPoints(const MeasMatrix& m, int firstRow);

// The points into the stored block as "Store" leaves it: from its first row, the row that
// ends the data after them (an empty block when there are none). A block holds 999 points
// and its end row; points beyond are left out.
void loadStoredBlock(MeasMatrix& m, const std::vector<library::MeasuredPoint>& points);

// A record of what the console holds now: the date (UTC, now), the setup as "Save Setup"
// writes it, the calibration and hardware version in force, the console, the points and
// the quick-test figures given. nullopt with the reason when the setup cannot be written.
std::optional<library::LibraryRecord> consoleRecord(const ConsoleState& state,
                                                    const Form1Model& model,
                                                    std::vector<library::MeasuredPoint> points,
                                                    const std::vector<QuickTestFigure>& figures,
                                                    std::string& error);

// The library file: the one given (--library), else the default one.
std::filesystem::path libraryFile(const std::string& given);

// The record stored last (the highest number), when there is one: its type and label are
// where the next valve of the box goes on from.
std::optional<library::RecordSummary> lastRecord(library::Library& library);

// The valve library of the running console. The file is opened when it is first needed, so
// that a library that cannot be used never keeps the console from measuring.
class LibraryAccess {
  public:
    LibraryAccess(std::filesystem::path file, Dialogs& dialogs);

    // The library, or nullptr after one message that says why it cannot be used (a later
    // call tries again: the other program may have let go of it by then).
    library::Library* get();
    // The same, with the reason instead of a message.
    library::LibraryResult<library::Library*> tryGet();
    const std::filesystem::path& file() const { return file_; }

  private:
    std::filesystem::path file_;
    Dialogs& dialogs_;
    std::optional<library::Library> library_;
};

// The message for a measurement that could not be stored: the library's reason and what
// has become of the measurement (`kept`, "Its curves stay in the console ...").
std::string notStoredMessage(const library::LibraryError& error, const std::string& kept);

// What is stored besides the console's state: the measurement, the valve and, when one has
// been fitted to it, the model file's text.
struct LibraryEntry {
    std::vector<library::MeasuredPoint> points;
    std::vector<QuickTestFigure> figures;
    std::string valveType, label, note;
    std::optional<std::string> modelJson;
};

// The record of the console's measurement, stored: its number, or nullopt after one message
// that gives the reason and `kept` (where the measurement stays).
std::optional<std::int64_t> storeInLibrary(LibraryAccess& access, const ConsoleState& state,
                                           const Form1Model& model, LibraryEntry entry,
                                           const std::string& kept, Dialogs& dialogs);

}  // namespace ostrino
