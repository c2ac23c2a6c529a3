#pragma once
// Building blocks shared by the consoles' main windows.

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace ostrino {

// A caption in front of a control; with a buddy, its mnemonic moves the focus there.
QLabel* caption(const char* text, QWidget* buddy = nullptr);

// A text box with its objectName, at least width pixels wide; a narrow one (a number)
// grows by no more than 30 pixels.
QLineEdit* textEntry(const char* name, int width);

// The main window's body: the controls in a column that scrolls but never narrows, and
// beside them the graph, which takes the rest, above a row of further controls.
QWidget* controlsBesideGraph(QWidget* controls, QWidget* graph, QWidget* belowGraph);

// Gives a window its preferred size, made smaller where the screen is smaller (a laptop
// screen of 768 lines), though never below what its controls need.
void resizeWithinScreen(QWidget* window, QSize preferred);

}  // namespace ostrino
