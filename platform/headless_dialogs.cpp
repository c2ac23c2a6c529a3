#include <cstdio>
#include <string>

#include "platform/dialogs.h"

namespace ostrino {

namespace {

// One message, one line: line breaks inside a message become single spaces.
std::string oneLine(const std::string& text) {
    std::string out;
    bool pendingSpace = false;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace) {
            out += ' ';
            pendingSpace = false;
        }
        out += c;
    }
    return out;
}

void writeLine(const std::string& text) {
    const std::string line = oneLine(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

void HeadlessDialogs::message(const std::string& text, MessageIcon /*icon*/) {
    writeLine(text);
}

bool HeadlessDialogs::askYesNo(const std::string& text) {
    writeLine(text + " Yes");
    return true;
}

std::string HeadlessDialogs::chooseFile(const FileDialogRequest& /*request*/) {
    return {};
}

}  // namespace ostrino
