#pragma once
// One measurement of one valve as the library keeps it, and the errors the library reports.
// Plain data: the console fills a LibraryRecord after a sweep or a quick test and hands it to
// Library::add.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace ostrino::library {

// One row of the sweep as the measurement matrix holds it: curve number, currents in mA and
// voltages in V.
struct MeasuredPoint {
    double curve = 0.0;
    double ia = 0.0;  // anode current (section 1 of a double triode)
    double is = 0.0;  // screen current (section 2 of a double triode)
    double vh = 0.0;  // heater voltage
    double vg = 0.0;  // grid voltage
    double vs = 0.0;  // screen voltage (anode of section 2)
    double va = 0.0;  // anode voltage

    bool operator==(const MeasuredPoint&) const = default;
};

// One figure of a quick test, in the units the quick-test windows use (mA, ohm, mA/V).
// Section 1 is the valve (or section) on the anode supply, section 2 the second section of
// a double triode on the screen supply; each section has "Ia", "Ra", "Gm" and "mu". A
// pentode has section 1 only: "Ia", "Is", "Ra", "Gm" (Gma), "mu" (mu1), "Rs", "Gm1",
// "Gm2", "Gms" and "mu2". Matching compares "Ia", "Gm" and "mu". A figure the test could
// not compute ("> 1M", "N.A.") is simply left out.
struct QuickTestValue {
    int section = 1;
    std::string name;
    double value = 0.0;

    bool operator==(const QuickTestValue&) const = default;
};

// What is stored for one measurement.
struct LibraryRecord {
    std::chrono::sys_seconds when{};  // UTC, whole seconds
    std::string valveType;            // "ECC83"
    std::string label;                // serial number or box position, "ECC83 #7"
    std::string note;
    std::string console;      // program and version that measured, "Ostrino_3p11 3.11"
    int instrumentVersion{};  // hardware version in force (1 = 300 V, 2 = 400 V supplies)
    std::array<double, 10> calibration{1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    std::string setupText;                  // the whole setup file as "Save Setup" writes it
    std::vector<MeasuredPoint> points;      // the rows of the sweep (or of the quick test)
    std::vector<QuickTestValue> quickTest;  // empty for a sweep
    std::optional<std::string> modelJson;   // a fitted model, when there is one

    bool operator==(const LibraryRecord&) const = default;
};

struct StoredRecord {
    std::int64_t id = 0;
    LibraryRecord record;
};

// One line of a listing: what a table of records shows, without the points.
struct RecordSummary {
    std::int64_t id = 0;
    std::chrono::sys_seconds when{};
    std::string valveType;
    std::string label;
    std::string note;
    int pointCount = 0;
    bool quickTest = false;
    bool model = false;
};

enum class LibraryFault {
    CannotOpen,     // no such file, no folder for it, no permission
    NotADatabase,   // the file is something else
    NotALibrary,    // an SQLite database of some other program
    TooNew,         // written by a newer program
    Locked,         // another program holds the lock longer than the busy time-out
    Damaged,        // a library whose contents do not make sense
    StorageFailed,  // the library file cannot be written or read (read-only, disk full)
    InvalidRecord,  // a record that cannot be stored as it is
    NoSuchRecord,
    WriteFailed,  // an output file (CSV) that cannot be written
};

struct LibraryError {
    LibraryFault fault = LibraryFault::Damaged;
    std::string message;  // one sentence for the user
};

// A value or the reason there is none.
template <class T>
class LibraryResult {
  public:
    LibraryResult(T value) : content_(std::move(value)) {}
    LibraryResult(LibraryError error) : content_(std::move(error)) {}

    bool ok() const { return content_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(content_); }
    const T& value() const& { return std::get<0>(content_); }
    // By value from a temporary, so that `for (auto& r : library.list().value())` is safe.
    T value() && { return std::move(std::get<0>(content_)); }
    const LibraryError& error() const { return std::get<1>(content_); }

  private:
    std::variant<T, LibraryError> content_;
};

using LibraryStatus = LibraryResult<std::monostate>;

// "2024-05-01 12:34:56" and "2024-05-01T12:34:56Z" (UTC); kNoDate for a time outside the
// years 1 to 9999 (a damaged record).
inline constexpr const char* kNoDate = "(no valid date)";
std::string dateTimeText(std::chrono::sys_seconds t);
std::string isoDateTimeText(std::chrono::sys_seconds t);

// Reads "2024-05-01", "2024-05-01 12:34", "2024-05-01T12:34:56" or the same with "Z" (UTC).
// A date alone is the start of that day. nullopt for anything else or an impossible date.
std::optional<std::chrono::sys_seconds> parseDateTime(const std::string& text);

}  // namespace ostrino::library
