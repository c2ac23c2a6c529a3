#pragma once
// Dialogs for tests: records every message and question and answers questions from a
// script (Yes when the script has run out).

#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace ostrino::test {

class ScriptedDialogs : public Dialogs {
  public:
    struct Shown {
        std::string text;
        MessageIcon icon;
    };

    void message(const std::string& text, MessageIcon icon = MessageIcon::Exclamation) override {
        messages.push_back({text, icon});
    }
    bool askYesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) {
            return true;
        }
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string chooseFile(const FileDialogRequest& request) override {
        fileRequests.push_back(request);
        if (fileNames.empty()) {
            return {};
        }
        std::string name = fileNames.front();
        fileNames.pop_front();
        return name;
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& m : messages) {
            t.push_back(m.text);
        }
        return t;
    }

    std::vector<Shown> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    std::vector<FileDialogRequest> fileRequests;
    std::deque<std::string> fileNames;
};

}  // namespace ostrino::test
