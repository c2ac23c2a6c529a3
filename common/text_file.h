#pragma once
// Reading and writing whole text files safely.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrino {

// Writes content to a temporary file in the target's folder and renames it over the
// target, so a failed write never destroys an existing file. A target that is a symbolic
// link is written through it: the file it points to is replaced (the temporary file then
// lives in that file's folder) and the link stays. On failure returns false and puts a
// short reason ("Permission denied") into error; the target is untouched and the
// temporary file removed.
bool writeFileAtomically(const std::string& path, std::string_view content, std::string& error);

// Reads a whole file; nullopt (with a reason in error) when it cannot be read.
std::optional<std::string> readWholeFile(const std::string& path, std::string& error);

// True when an ordinary file of that name exists (a folder of that name does not count).
bool fileExists(const std::string& path);

// Reads a text file line by line. Lines end in CR LF, LF or CR; the end marks are not
// part of the line. A last line without an end mark still counts; an empty file has no lines.
class LineReader {
  public:
    explicit LineReader(std::string_view content);

    bool atEnd() const { return next_ >= lines_.size(); }
    // Number (1-based) of the line most recently returned; 0 before the first.
    int lineNumber() const { return static_cast<int>(next_); }
    std::size_t lineCount() const { return lines_.size(); }

    // The next line, or nullopt at the end.
    std::optional<std::string> nextLine();
    // The leading number of the next line (its label is skipped). nullopt when the file
    // has ended or the line does not start with a number; the line is consumed either way.
    std::optional<double> nextNumber();

  private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

}  // namespace ostrino
