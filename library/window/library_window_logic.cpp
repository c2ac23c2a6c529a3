#include "library/window/library_window_logic.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <set>

#include "common/text_file.h"
#include "library/record_text.h"

namespace ostrino {

namespace {

constexpr const char* kCsvFilter = "CSV file (*.csv)|*.csv";

// Two decimals with a '.', as the CSV export writes them.
std::string fixed2(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    return std::string(buf, r.ptr);
}

}  // namespace

LibraryWindowLogic::LibraryWindowLogic(LibraryWindowHooks hooks, Dialogs& dialogs)
    : hooks_(std::move(hooks)), dialogs_(dialogs) {}

std::optional<library::RecordFilter> LibraryWindowLogic::filter() {
    library::RecordFilter f;
    f.valveType = model.cboType;
    f.labelContains = model.txtLabel;
    for (const bool from : {true, false}) {
        const std::string& text = from ? model.txtFrom : model.txtTo;
        if (text.find_first_not_of(' ') == std::string::npos) {
            continue;
        }
        auto when = library::parseDateTime(text);
        if (!when) {
            dialogs_.message(std::string("The date \"") + text + "\" in \"" +
                             (from ? "From" : "To") +
                             "\" cannot be read; write it as 2024-05-01 or 2024-05-01 12:30 "
                             "(UTC).");
            return std::nullopt;
        }
        // "To" a day takes the whole of that day.
        if (!from && text.size() == 10) {
            *when += std::chrono::seconds(86399);
        }
        (from ? f.from : f.to) = when;
    }
    return f;
}

bool LibraryWindowLogic::refresh() {
    const auto f = filter();
    if (!f) {
        return false;
    }
    library::Library* lib = hooks_.library ? hooks_.library() : nullptr;
    if (lib == nullptr) {
        return false;
    }
    auto all = lib->list();
    auto listed = lib->list(*f, {library::SortKey::Date, true});
    if (!all || !listed) {
        dialogs_.message((!all ? all.error() : listed.error()).message);
        return false;
    }
    std::set<std::string> types;
    for (const library::RecordSummary& s : all.value()) {
        types.insert(s.valveType);
    }
    model.types.assign(types.begin(), types.end());
    model.rows.clear();
    for (const library::RecordSummary& s : listed.value()) {
        model.rows.push_back({s.id, library::dateTimeText(s.when), s.valveType, s.label,
                              library::measurementText(s), s.note});
    }
    model.lblStatus = std::to_string(model.rows.size()) + " of " +
                      std::to_string(all.value().size()) + " records";
    std::vector<std::int64_t> still;
    for (const std::int64_t id : model.selected) {
        if (std::any_of(model.rows.begin(), model.rows.end(),
                        [id](const LibraryTableRow& r) { return r.id == id; })) {
            still.push_back(id);
        }
    }
    select(still);
    return true;
}

void LibraryWindowLogic::clearFilter() {
    model.cboType.clear();
    model.txtLabel.clear();
    model.txtFrom.clear();
    model.txtTo.clear();
    refresh();
}

void LibraryWindowLogic::select(std::vector<std::int64_t> ids) {
    model.selected = std::move(ids);
    model.details.clear();
    if (model.selected.empty()) {
        return;
    }
    if (auto r = selectedRecord()) {
        model.details = library::recordDetails(*r);
        if (model.selected.size() > 1) {
            model.details.insert(model.details.begin(),
                                 {"Selected:", std::to_string(model.selected.size()) +
                                                   " records; the first is shown"});
        }
    }
}

std::optional<library::StoredRecord> LibraryWindowLogic::selectedRecord() {
    library::Library* lib = model.selected.empty() || !hooks_.library ? nullptr : hooks_.library();
    if (lib == nullptr) {
        return std::nullopt;
    }
    auto found = lib->get(model.selected.front());
    if (!found) {
        dialogs_.message(found.error().message);
        return std::nullopt;
    }
    return std::move(found).value();
}

void LibraryWindowLogic::cmdShowOnGraph_Click() {
    if (auto r = selectedRecord(); r && hooks_.showOnGraph) {
        hooks_.showOnGraph(*r);
        model.lblStatus = "The curves of " + r->record.label + " are the stored curves now.";
    }
}

void LibraryWindowLogic::cmdOpen_Click() {
    if (auto r = selectedRecord(); r && hooks_.open) {
        hooks_.open(*r);
    }
}

void LibraryWindowLogic::cmdDelete_Click() {
    if (model.selected.empty()) {
        return;
    }
    library::Library* lib = hooks_.library ? hooks_.library() : nullptr;
    if (lib == nullptr) {
        return;
    }
    std::string what;
    if (model.selected.size() == 1) {
        const auto r = std::find_if(model.rows.begin(), model.rows.end(),
                                    [&](const auto& row) { return row.id == model.selected[0]; });
        what = r == model.rows.end()
                   ? "the selected record"
                   : "the record of " + r->label + " (" + r->type + ", " + r->date + ")";
    } else {
        what = "the " + std::to_string(model.selected.size()) + " selected records";
    }
    if (!dialogs_.askYesNo("Delete " + what + " from the valve library? This cannot be undone.")) {
        return;
    }
    int removed = 0;
    for (const std::int64_t id : model.selected) {
        if (auto s = lib->remove(id); !s) {
            dialogs_.message(s.error().message);
            break;
        }
        ++removed;
    }
    model.selected.clear();
    refresh();
    model.lblStatus =
        "Deleted " + std::to_string(removed) + (removed == 1 ? " record." : " records.");
}

void LibraryWindowLogic::cmdExportCsv_Click() {
    if (model.selected.empty()) {
        return;
    }
    library::Library* lib = hooks_.library ? hooks_.library() : nullptr;
    if (lib == nullptr) {
        return;
    }
    const std::string file = dialogs_.chooseFile(saveFileRequest(kCsvFilter, "Export CSV"));
    if (file.empty()) {
        return;
    }
    if (auto s = lib->exportCsv(model.selected, file); !s) {
        dialogs_.message(s.error().message);
        return;
    }
    model.lblStatus = "Exported " + std::to_string(model.selected.size()) +
                      (model.selected.size() == 1 ? " record" : " records") + " to " + file + ".";
}

void LibraryWindowLogic::cmdMatch_Click() {
    const std::string type = model.cboMatchType;
    if (type.find_first_not_of(' ') == std::string::npos) {
        dialogs_.message("Choose the valve type to match.");
        return;
    }
    library::Library* lib = hooks_.library ? hooks_.library() : nullptr;
    if (lib == nullptr) {
        return;
    }
    library::RecordFilter f;
    f.valveType = type;
    auto found = lib->records(f);
    if (!found) {
        dialogs_.message(found.error().message);
        return;
    }
    matchRecords_ = std::move(found).value();
    matchSize_ = model.optQuads ? library::GroupSize::Quads : library::GroupSize::Pairs;
    match_ = library::matchValves(matchRecords_, matchSize_);
    model.matches.clear();
    int rank = 0;
    for (const library::MatchGroup& g : match_.groups) {
        MatchTableRow row{++rank, fixed2(g.distance), {}};
        for (const std::size_t i : g.members) {
            row.labels.push_back(matchRecords_[i].record.label);
        }
        model.matches.push_back(std::move(row));
    }
    const char* group = model.optQuads ? " quad" : " pair";
    std::string summary = std::to_string(match_.groups.size()) + group +
                          (match_.groups.size() == 1 ? "" : "s") + " of " +
                          std::to_string(matchRecords_.size()) + " " + type + " records";
    if (matchRecords_.empty()) {
        summary = "There are no records of type " + type + " in the library";
    }
    if (!match_.provenBest) {
        summary += " (the best grouping found within the search limit)";
    }
    summary += ".";
    if (!match_.leftOver.empty()) {
        summary += " Not matched:";
        for (std::size_t k = 0; k < match_.leftOver.size(); ++k) {
            const library::LeftOver& l = match_.leftOver[k];
            summary += (k == 0 ? " " : "; ") + matchRecords_[l.record].record.label + " (" +
                       l.reason + ")";
        }
        summary += ".";
    }
    model.lblMatchSummary = summary;
    model.cmdExportMatchesEnabled = !match_.groups.empty();
}

void LibraryWindowLogic::cmdExportMatches_Click() {
    if (match_.groups.empty()) {
        return;
    }
    const std::string file = dialogs_.chooseFile(saveFileRequest(kCsvFilter, "Export CSV"));
    if (file.empty()) {
        return;
    }
    std::string error;
    if (!writeFileAtomically(file, library::matchCsv(matchRecords_, match_, matchSize_), error)) {
        dialogs_.message("The groups cannot be written to " + file + " (" + error + ").");
        return;
    }
    model.lblMatchSummary += " Exported to " + file + ".";
}

}  // namespace ostrino
