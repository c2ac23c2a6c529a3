#pragma once
// The "Library" window without its widgets: the filter, the table of records, the details
// of the selected one, what the buttons do, and the matching of valves.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "library/library.h"
#include "library/matching.h"
#include "platform/dialogs.h"

namespace ostrino {

// What the window asks of the console around it.
struct LibraryWindowHooks {
    // The library, opened on first use; nullptr after a message that says why it cannot be
    // used.
    std::function<library::Library*()> library;
    // "Show on graph": the record's curves become the stored curves of the graph.
    std::function<void(const library::StoredRecord&)> showOnGraph;
    // "Open": the record's setup is opened as "Open Setup" opens a file.
    std::function<void(const library::StoredRecord&)> open;
};

struct LibraryTableRow {
    std::int64_t id = 0;
    std::string date, type, label, measurement, note;
};

struct MatchTableRow {
    int rank = 0;
    std::string distance;             // %, two decimals
    std::vector<std::string> labels;  // the members
};

struct LibraryWindowModel {
    // Frame "Filter".
    std::string cboType;  // empty: every type
    std::string txtLabel;
    std::string txtFrom, txtTo;      // dates (UTC); a date alone is the whole day
    std::vector<std::string> types;  // every type in the library, for both type lists

    std::vector<LibraryTableRow> rows;
    std::vector<std::int64_t> selected;
    std::vector<std::pair<std::string, std::string>> details;  // of the first selected
    std::string lblStatus;

    // Frame "Matching".
    std::string cboMatchType;
    bool optQuads = false;
    std::vector<MatchTableRow> matches;
    std::string lblMatchSummary;
    bool cmdExportMatchesEnabled = false;

    bool anySelected() const { return !selected.empty(); }
    bool oneSelected() const { return selected.size() == 1; }
};

class LibraryWindowLogic {
  public:
    LibraryWindowLogic(LibraryWindowHooks hooks, Dialogs& dialogs);

    LibraryWindowModel model;

    // The records that pass the filter; false (after a message) for a date that cannot be
    // read or a library that cannot be used. The selection keeps the records still listed.
    bool refresh();
    void clearFilter();
    void select(std::vector<std::int64_t> ids);

    void cmdShowOnGraph_Click();
    void cmdOpen_Click();
    void cmdDelete_Click();
    void cmdExportCsv_Click();
    void cmdMatch_Click();
    void cmdExportMatches_Click();

  private:
    std::optional<library::RecordFilter> filter();
    std::optional<library::StoredRecord> selectedRecord();

    LibraryWindowHooks hooks_;
    Dialogs& dialogs_;
    // The last match, for its export.
    std::vector<library::StoredRecord> matchRecords_;
    library::MatchResult match_;
    library::GroupSize matchSize_ = library::GroupSize::Pairs;
};

}  // namespace ostrino
