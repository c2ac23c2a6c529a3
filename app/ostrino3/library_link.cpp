#include "app/ostrino3/library_link.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "measure/form1_setup.h"

namespace ostrino {

std::vector<library::MeasuredPoint> measuredPoints(const MeasMatrix& m, int firstRow) {
    std::vector<library::MeasuredPoint> points;
    for (int r = firstRow; r < firstRow + MeasMatrix::kBlockRows; ++r) {
        const long curve = std::lround(m(r, MeasMatrix::Curve));
        if (curve < 1) {
            break;
        }
        points.push_back({m(r, MeasMatrix::Curve), m(r, MeasMatrix::Ia), m(r, MeasMatrix::Is),
                          m(r, MeasMatrix::Vh), m(r, MeasMatrix::Vg), m(r, MeasMatrix::Vs),
                          m(r, MeasMatrix::Va)});
    }
    return points;
}

void loadStoredBlock(MeasMatrix& m, const std::vector<library::MeasuredPoint>& points) {
    const int n = static_cast<int>(
        std::min(points.size(), static_cast<std::size_t>(MeasMatrix::kBlockRows - 1)));
    for (int i = 0; i < n; ++i) {
        const library::MeasuredPoint& p = points[static_cast<std::size_t>(i)];
        m.cells[static_cast<std::size_t>(MeasMatrix::kStored + i)] = {p.curve, p.ia, p.is, p.vh,
                                                                      p.vg,    p.vs, p.va};
    }
    m.cells[static_cast<std::size_t>(MeasMatrix::kStored + n)] = {};
    if (n == 0) {
        m.markEmpty(MeasMatrix::kStored);
    }
}

std::optional<library::LibraryRecord> consoleRecord(const ConsoleState& state,
                                                    const Form1Model& model,
                                                    std::vector<library::MeasuredPoint> points,
                                                    const std::vector<QuickTestFigure>& figures,
                                                    std::string& error) {
    const auto setup = setupFileText(state, model, error);
    if (!setup) {
        return std::nullopt;
    }
    library::LibraryRecord r;
    r.when = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    r.console = kLibraryConsoleName;
    r.instrumentVersion = state.cal.intVersion;
    r.calibration = state.cal.factors;
    r.setupText = *setup;
    r.points = std::move(points);
    for (const QuickTestFigure& f : figures) {
        r.quickTest.push_back({f.section, f.name, f.value});
    }
    return r;
}

std::filesystem::path libraryFile(const std::string& given) {
    return given.empty() ? library::Library::defaultPath() : std::filesystem::path(given);
}

std::optional<library::RecordSummary> lastRecord(library::Library& library) {
    auto rows = library.list({}, {library::SortKey::Id, true});
    if (!rows || rows.value().empty()) {
        return std::nullopt;
    }
    return rows.value().front();
}

LibraryAccess::LibraryAccess(std::filesystem::path file, Dialogs& dialogs)
    : file_(std::move(file)), dialogs_(dialogs) {}

library::LibraryResult<library::Library*> LibraryAccess::tryGet() {
    if (!library_) {
        auto opened = library::Library::open(file_);
        if (!opened) {
            return opened.error();
        }
        library_.emplace(std::move(opened).value());
    }
    return &*library_;
}

library::Library* LibraryAccess::get() {
    auto found = tryGet();
    if (!found) {
        dialogs_.message(found.error().message +
                         " The console measures and saves files without the library.");
        return nullptr;
    }
    return found.value();
}

std::string notStoredMessage(const library::LibraryError& error, const std::string& kept) {
    return "The measurement has not been stored in the valve library. " + error.message + " " +
           kept;
}

std::optional<std::int64_t> storeInLibrary(LibraryAccess& access, const ConsoleState& state,
                                           const Form1Model& model, LibraryEntry entry,
                                           const std::string& kept, Dialogs& dialogs) {
    std::string error;
    auto record = consoleRecord(state, model, std::move(entry.points), entry.figures, error);
    if (!record) {
        dialogs.message(notStoredMessage(
            {library::LibraryFault::InvalidRecord, "Its setup cannot be written: " + error + "."},
            kept));
        return std::nullopt;
    }
    record->valveType = std::move(entry.valveType);
    record->label = std::move(entry.label);
    record->note = std::move(entry.note);
    record->modelJson = std::move(entry.modelJson);
    auto library = access.tryGet();
    if (!library) {
        dialogs.message(notStoredMessage(library.error(), kept));
        return std::nullopt;
    }
    auto id = library.value()->add(*record);
    if (!id) {
        dialogs.message(notStoredMessage(id.error(), kept));
        return std::nullopt;
    }
    return id.value();
}

}  // namespace ostrino
