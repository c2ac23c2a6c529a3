#pragma once
// The "Library" window: the records of the valve library with a filter, the details of the
// selected one and what can be done with it, and the matching of valves in pairs or quads.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QWidget>

#include "library/window/library_window_logic.h"

namespace ostrino {

class frmLibrary : public QWidget {
  public:
    frmLibrary(LibraryWindowHooks hooks, Dialogs& dialogs, QWidget* parent = nullptr);

    LibraryWindowLogic& logic() { return logic_; }
    // The records again from the library (another program may have added some).
    void reload();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* buildFilter();
    QWidget* buildRecords();
    QWidget* buildMatching();
    void readFilter();
    // Widgets from the model; the table of records too when `rows` (a new selection leaves
    // it as it is, scrolled and sorted as the user left it).
    void refreshFromModel(bool rows = true);
    void refreshTable();
    void refreshMatches();
    void act(void (LibraryWindowLogic::*action)());

    LibraryWindowLogic logic_;
    bool refreshing_ = false;

    QComboBox* cboType_ = nullptr;
    QLineEdit* txtLabel_ = nullptr;
    QLineEdit* txtFrom_ = nullptr;
    QLineEdit* txtTo_ = nullptr;
    QTableWidget* tblRecords_ = nullptr;
    QPlainTextEdit* txtDetails_ = nullptr;
    QPushButton* cmdShowOnGraph_ = nullptr;
    QPushButton* cmdOpen_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
    QPushButton* cmdExportCsv_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QComboBox* cboMatchType_ = nullptr;
    QRadioButton* optPairs_ = nullptr;
    QRadioButton* optQuads_ = nullptr;
    QTableWidget* tblMatches_ = nullptr;
    QLabel* lblMatchSummary_ = nullptr;
    QPushButton* cmdExportMatches_ = nullptr;
};

}  // namespace ostrino
