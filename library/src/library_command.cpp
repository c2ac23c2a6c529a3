#include "library/library_command.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "common/text_file.h"
#include "library/library.h"
#include "library/matching.h"
#include "library/record_text.h"
#include "text_forms.h"

namespace ostrino::library {

namespace {

constexpr const char* kProgram = "ostrino-library";
constexpr const char* kVersionLine = "ostrino-library 3.11";

// What the command line asks for.
struct Request {
    std::string command;
    RecordFilter filter;            // list
    RecordOrder order;              // list
    std::vector<std::int64_t> ids;  // show, export, remove
    bool setup = false;             // show
    std::string csv;                // export, match
    std::string type;               // match
    std::optional<GroupSize> size;  // match
};

std::optional<std::int64_t> recordId(const std::string& text) {
    std::int64_t id = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), id);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || id < 1) {
        return std::nullopt;
    }
    return id;
}

// Reads the arguments after the command into r; returns why they cannot be used, or an
// empty string.
std::string readRequest(const std::vector<std::string>& args, Request& r) {
    const std::string& c = r.command;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue =
            a == "--type" || a == "--csv" ||
            (c == "list" && (a == "--label" || a == "--from" || a == "--to" || a == "--sort"));
        std::string value;
        if (takesValue) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                return a + " needs a value";
            }
            value = args[++i];
        }
        if (c == "list" && a == "--type") {
            r.filter.valveType = value;
        } else if (c == "list" && a == "--label") {
            r.filter.labelContains = value;
        } else if (c == "list" && (a == "--from" || a == "--to")) {
            std::optional<std::chrono::sys_seconds> t = parseDateTime(value);
            if (!t) {
                return a + " needs a date such as 2024-05-01 or 2024-05-01T12:30, not \"" + value +
                       "\"";
            }
            if (a == "--to" && value.size() == 10) {
                *t += std::chrono::days(1) - std::chrono::seconds(1);  // to the end of the day
            }
            (a == "--from" ? r.filter.from : r.filter.to) = *t;
        } else if (c == "list" && a == "--sort") {
            if (value == "date") {
                r.order.key = SortKey::Date;
            } else if (value == "type") {
                r.order.key = SortKey::Type;
            } else if (value == "label") {
                r.order.key = SortKey::Label;
            } else if (value == "id") {
                r.order.key = SortKey::Id;
            } else {
                return "--sort takes date, type, label or id, not \"" + value + "\"";
            }
        } else if (c == "list" && a == "--reverse") {
            r.order.descending = true;
        } else if (c == "show" && a == "--setup") {
            r.setup = true;
        } else if ((c == "export" || c == "match") && a == "--csv") {
            r.csv = value;
        } else if (c == "match" && a == "--type") {
            r.type = value;
        } else if (c == "match" && (a == "--pairs" || a == "--quads")) {
            const GroupSize wanted = a == "--pairs" ? GroupSize::Pairs : GroupSize::Quads;
            if (r.size && *r.size != wanted) {
                return "match takes either --pairs or --quads, not both";
            }
            r.size = wanted;
        } else if ((c == "show" || c == "export" || c == "remove") && recordId(a)) {
            r.ids.push_back(*recordId(a));
        } else {
            return c + " does not take \"" + a + "\"";
        }
    }
    if ((c == "show" || c == "remove") && r.ids.size() != 1) {
        return c + " needs one record number";
    }
    if (c == "export" && (r.ids.empty() || r.csv.empty())) {
        return "export needs one or more record numbers and --csv FILE";
    }
    if (c == "match" && (r.type.empty() || !r.size)) {
        return "match needs --type T and either --pairs or --quads";
    }
    return {};
}

int failWith(std::ostream& err, const LibraryError& error) {
    err << kProgram << ": " << error.message << "\n";
    return error.fault == LibraryFault::WriteFailed ? 1 : 2;
}

int badArguments(std::ostream& err, const std::string& message) {
    err << kProgram << ": " << message << "\nTry \"" << kProgram << " --help\".\n";
    return 2;
}

// Prints rows as columns two blanks apart; right[c] aligns column c to the right.
void printTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows,
                const std::vector<bool>& right) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], displayWidth(row[c]));
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string gap(widths[c] - displayWidth(row[c]), ' ');
            const bool alignRight = c < right.size() && right[c];
            line += alignRight ? gap + row[c] : row[c] + gap;
            line += c + 1 < row.size() ? "  " : "";
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out << line << "\n";
    }
}

int listRecords(Library& library, const Request& r, std::ostream& out, std::ostream& err) {
    LibraryResult<std::vector<RecordSummary>> rows = library.list(r.filter, r.order);
    if (!rows) {
        return failWith(err, rows.error());
    }
    if (rows.value().empty()) {
        out << "No records.\n";
        return 0;
    }
    std::vector<std::vector<std::string>> table{
        {"ID", "Date (UTC)", "Type", "Label", "Measurement", "Note"}};
    for (const RecordSummary& s : rows.value()) {
        table.push_back({std::to_string(s.id), dateTimeText(s.when).substr(0, 16), s.valveType,
                         s.label, measurementText(s), s.note});
    }
    printTable(out, table, {true});
    return 0;
}

int showRecord(Library& library, const Request& request, std::ostream& out, std::ostream& err) {
    const std::int64_t id = request.ids.front();
    LibraryResult<StoredRecord> found = library.get(id);
    if (!found) {
        return failWith(err, found.error());
    }
    const LibraryRecord& r = found.value().record;
    if (request.setup) {
        out << r.setupText;
        return 0;
    }
    std::vector<std::vector<std::string>> table;
    for (auto& [caption, text] : recordDetails(found.value())) {
        table.push_back({caption, text});
    }
    table.push_back({"Setup:", std::to_string(r.setupText.size()) + " characters (\"show " +
                                   std::to_string(id) + " --setup\" prints it)"});
    printTable(out, table, {});
    return 0;
}

int exportRecords(Library& library, const Request& r, std::ostream& out, std::ostream& err) {
    if (LibraryStatus s = library.exportCsv(r.ids, r.csv); !s) {
        return failWith(err, s.error());
    }
    out << "Exported " << r.ids.size() << (r.ids.size() == 1 ? " record" : " records") << " to "
        << r.csv << ".\n";
    return 0;
}

int matchRecords(Library& library, const Request& r, std::ostream& out, std::ostream& err) {
    RecordFilter filter;
    filter.valveType = r.type;
    LibraryResult<std::vector<StoredRecord>> found = library.records(filter);
    if (!found) {
        return failWith(err, found.error());
    }
    const std::vector<StoredRecord>& records = found.value();
    if (records.empty()) {
        out << "There are no records of type " << r.type << " in the library.\n";
        return 0;
    }
    const bool pairs = *r.size == GroupSize::Pairs;
    const MatchResult result = matchValves(records, *r.size);
    auto name = [&](std::size_t i) {
        return records[i].record.label + " (" + std::to_string(records[i].id) + ")";
    };

    out << (pairs ? "Pairs" : "Quads") << " of " << records.front().record.valveType << " from "
        << records.size() << (records.size() == 1 ? " record" : " records")
        << ", best first (record numbers in parentheses):\n";
    if (result.groups.empty()) {
        out << "No " << (pairs ? "pair" : "quad") << " can be formed.\n";
    } else {
        std::vector<std::vector<std::string>> table{{"Rank", "Distance", "Valves"}};
        for (std::size_t k = 0; k < result.groups.size(); ++k) {
            std::string members;
            for (const std::size_t m : result.groups[k].members) {
                members += (members.empty() ? "" : ", ") + name(m);
            }
            table.push_back(
                {std::to_string(k + 1), fixedNumber(result.groups[k].distance, 2) + " %", members});
        }
        printTable(out, table, {true, true});
    }
    for (const LeftOver& l : result.leftOver) {
        out << "Left over: " << name(l.record) << ": " << l.reason << ".\n";
    }
    if (!result.provenBest) {
        out << "The search for the best quads stopped at its limit: the worst quad above is "
               "the best found, not proven the best possible.\n";
    }
    if (!r.csv.empty()) {
        std::string why;
        if (!writeFileAtomically(r.csv, matchCsv(records, result, *r.size), why)) {
            err << kProgram << ": cannot write \"" << r.csv << "\": " << why << ".\n";
            return 1;
        }
        out << "Written to " << r.csv << ".\n";
    }
    return 0;
}

int removeRecord(Library& library, const Request& r, std::ostream& out, std::ostream& err) {
    const std::int64_t id = r.ids.front();
    LibraryResult<StoredRecord> found = library.get(id);
    if (!found) {
        return failWith(err, found.error());
    }
    if (LibraryStatus s = library.remove(id); !s) {
        return failWith(err, s.error());
    }
    out << "Removed record " << id << " (" << found.value().record.valveType << ", "
        << found.value().record.label << ").\n";
    return 0;
}

}  // namespace

std::string libraryUsage() {
    return "Usage: ostrino-library [--library FILE] COMMAND\n"
           "Keeps every valve measurement of the Ostrino consoles and matches valves.\n"
           "\n"
           "Commands:\n"
           "  list [--type T] [--label TEXT] [--from DATE] [--to DATE]\n"
           "       [--sort date|type|label|id] [--reverse]\n"
           "                            the records, oldest first\n"
           "  show ID [--setup]         one record; with --setup its whole setup file\n"
           "  export ID... --csv FILE   the measured points of the records as CSV\n"
           "  match --type T --pairs|--quads [--csv FILE]\n"
           "                            the best pairs or quads of one valve type\n"
           "  remove ID                 delete a record\n"
           "\n"
           "Options:\n"
           "  --library FILE  the library file (default $XDG_DATA_HOME/ostrino/library.sqlite,\n"
           "                  or ~/.local/share/ostrino/library.sqlite)\n"
           "  --help          show this help and exit\n"
           "  --version       show the version and exit\n"
           "\n"
           "Dates are UTC, for example 2024-05-01 or 2024-05-01T12:30. The distance of a pair\n"
           "or quad tells in % how far apart the currents of its two most different valves are.\n"
           "Exit status: 0 when all went well, 1 when an output file cannot be written,\n"
           "2 for bad arguments or a library file that cannot be used.\n";
}

int runLibraryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string file;
    bool help = false;
    bool version = false;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--library") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                return badArguments(err, "--library needs a file");
            }
            file = args[++i];
        } else if (a.rfind("--library=", 0) == 0 && a.size() > 10) {
            file = a.substr(10);
        } else if (a == "--help" || a == "-h") {
            help = true;
        } else if (a == "--version") {
            version = true;
        } else {
            rest.push_back(a);
        }
    }
    if (help) {
        out << libraryUsage();
        return 0;
    }
    if (version) {
        out << kVersionLine << "\n";
        return 0;
    }
    if (rest.empty()) {
        return badArguments(err, "no command given");
    }
    Request request;
    request.command = rest.front();
    rest.erase(rest.begin());
    const std::string& c = request.command;
    if (c != "list" && c != "show" && c != "export" && c != "match" && c != "remove") {
        return badArguments(err, "unknown command \"" + c + "\"");
    }
    if (const std::string why = readRequest(rest, request); !why.empty()) {
        return badArguments(err, why);
    }

    // The default library is created on first use; a file named on the command line must
    // exist, so that a mistyped name is not taken for an empty library.
    OpenOptions options;
    options.createIfMissing = file.empty();
    LibraryResult<Library> opened =
        Library::open(file.empty() ? Library::defaultPath() : std::filesystem::path(file), options);
    if (!opened) {
        return failWith(err, opened.error());
    }
    Library& library = opened.value();
    if (c == "list") {
        return listRecords(library, request, out, err);
    }
    if (c == "show") {
        return showRecord(library, request, out, err);
    }
    if (c == "export") {
        return exportRecords(library, request, out, err);
    }
    if (c == "match") {
        return matchRecords(library, request, out, err);
    }
    return removeRecord(library, request, out, err);
}

}  // namespace ostrino::library
