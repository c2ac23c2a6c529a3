#pragma once
// Finding a window's controls by their names, reading what they show and typing into them.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>

namespace ostrino::test {

// A control of a window by its name; a missing one fails the test.
template <typename T>
T* child(QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// The text a label or a text box shows; a missing one fails the test.
inline QString shownText(QWidget* window, const char* name) {
    if (auto* l = window->findChild<QLabel*>(name)) {
        return l->text();
    }
    if (auto* e = window->findChild<QLineEdit*>(name)) {
        return e->text();
    }
    ADD_FAILURE() << name;
    return {};
}

// The text into a box, committed with Enter.
inline void typeInto(QWidget* window, const char* box, const char* text) {
    if (auto* e = child<QLineEdit>(window, box)) {
        e->setText(text);
        Q_EMIT e->returnPressed();
    }
}

}  // namespace ostrino::test
