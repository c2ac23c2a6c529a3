#include "library/window/frm_library.h"

#include <QCollator>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

namespace ostrino {

namespace {

QPushButton* makeButton(const char* name, const char* text) {
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    return b;
}

QLabel* captionFor(const char* text, QWidget* buddy) {
    auto* l = new QLabel(text);
    l->setBuddy(buddy);
    return l;
}

QComboBox* typeList(const char* name, const char* accessible) {
    auto* c = new QComboBox;
    c->setObjectName(name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setAccessibleName(accessible);
    c->setMinimumContentsLength(10);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return c;
}

// The type lists offer every type of the library and keep what is typed in them.
void fillTypes(QComboBox* c, const std::vector<std::string>& types, const std::string& current,
               bool withAll) {
    c->clear();
    if (withAll) {
        c->addItem("");
    }
    for (const std::string& t : types) {
        c->addItem(QString::fromStdString(t));
    }
    c->setEditText(QString::fromStdString(current));
}

// Labels sort as people count: "ECC83 #9" before "ECC83 #10".
class CountingItem : public QTableWidgetItem {
  public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override {
        static const QCollator collator = [] {
            QCollator c;
            c.setNumericMode(true);
            c.setCaseSensitivity(Qt::CaseInsensitive);
            return c;
        }();
        return collator.compare(text(), other.text()) < 0;
    }
};

QTableWidget* table(const char* name, const QStringList& headings) {
    auto* t = new QTableWidget(0, static_cast<int>(headings.size()));
    t->setObjectName(name);
    t->setHorizontalHeaderLabels(headings);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setStretchLastSection(true);
    t->setAlternatingRowColors(true);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 8);
    t->setWordWrap(false);
    return t;
}

}  // namespace

frmLibrary::frmLibrary(LibraryWindowHooks hooks, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), logic_(std::move(hooks), dialogs) {
    setObjectName("frmLibrary");
    setWindowTitle("Library");

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->setObjectName("splLibrary");
    splitter->setChildrenCollapsible(false);
    auto* upper = new QWidget;
    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->addWidget(buildFilter());
    upperLayout->addWidget(buildRecords(), 1);
    splitter->addWidget(upper);
    splitter->addWidget(buildMatching());
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    resize(1000, 760);
}

QWidget* frmLibrary::buildFilter() {
    auto* frame = new QGroupBox("Filter");
    frame->setObjectName("fraFilter");
    auto* g = new QHBoxLayout(frame);
    cboType_ = typeList("cboType", "Valve type");
    txtLabel_ = new QLineEdit;
    txtLabel_->setObjectName("txtLabel");
    txtLabel_->setAccessibleName("Label contains");
    txtFrom_ = new QLineEdit;
    txtFrom_->setObjectName("txtFrom");
    txtFrom_->setPlaceholderText("2024-05-01");
    txtFrom_->setAccessibleName("Measured from (UTC)");
    txtTo_ = new QLineEdit;
    txtTo_->setObjectName("txtTo");
    txtTo_->setPlaceholderText("2024-12-31");
    txtTo_->setAccessibleName("Measured to (UTC)");
    const int dateWidth = txtFrom_->fontMetrics().horizontalAdvance("2024-05-01 12:30") + 16;
    txtFrom_->setMinimumWidth(dateWidth);
    txtTo_->setMinimumWidth(dateWidth);
    auto* apply = makeButton("cmdApplyFilter", "Apply");
    auto* clear = makeButton("cmdClearFilter", "Clear");
    g->addWidget(captionFor("&Type", cboType_));
    g->addWidget(cboType_);
    g->addWidget(captionFor("&Label contains", txtLabel_));
    g->addWidget(txtLabel_, 1);
    g->addWidget(captionFor("&From", txtFrom_));
    g->addWidget(txtFrom_);
    g->addWidget(captionFor("T&o", txtTo_));
    g->addWidget(txtTo_);
    g->addWidget(apply);
    g->addWidget(clear);

    const auto applyFilter = [this] {
        if (!refreshing_) {
            readFilter();
            logic_.refresh();
            refreshFromModel();
        }
    };
    connect(apply, &QPushButton::clicked, this, applyFilter);
    for (QLineEdit* e : {txtLabel_, txtFrom_, txtTo_}) {
        connect(e, &QLineEdit::returnPressed, this, applyFilter);
    }
    connect(cboType_, &QComboBox::activated, this, applyFilter);
    connect(cboType_->lineEdit(), &QLineEdit::returnPressed, this, applyFilter);
    connect(clear, &QPushButton::clicked, this, [this] {
        logic_.clearFilter();
        refreshFromModel();
    });
    return frame;
}

QWidget* frmLibrary::buildRecords() {
    auto* box = new QWidget;
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);

    tblRecords_ = table("tblRecords", {"Date (UTC)", "Type", "Label", "Measurement", "Note"});
    tblRecords_->setAccessibleName("Records");
    tblRecords_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tblRecords_->setSortingEnabled(true);
    tblRecords_->sortByColumn(0, Qt::DescendingOrder);
    connect(tblRecords_, &QTableWidget::itemSelectionChanged, this, [this] {
        if (refreshing_) {
            return;
        }
        std::vector<std::int64_t> ids;
        for (const QModelIndex& row : tblRecords_->selectionModel()->selectedRows()) {
            ids.push_back(tblRecords_->item(row.row(), 0)->data(Qt::UserRole).toLongLong());
        }
        logic_.select(std::move(ids));
        refreshFromModel(false);
    });
    h->addWidget(tblRecords_, 3);

    auto* side = new QGroupBox("Details");
    side->setObjectName("fraDetails");
    auto* v = new QVBoxLayout(side);
    txtDetails_ = new QPlainTextEdit;
    txtDetails_->setObjectName("txtDetails");
    txtDetails_->setReadOnly(true);
    txtDetails_->setAccessibleName("Details of the selected record");
    txtDetails_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtDetails_->setMinimumWidth(txtDetails_->fontMetrics().horizontalAdvance("M") * 26);
    v->addWidget(txtDetails_, 1);
    auto* buttons = new QGridLayout;
    cmdShowOnGraph_ = makeButton("cmdShowOnGraph", "Show on graph");
    cmdOpen_ = makeButton("cmdOpen", "Open");
    cmdDelete_ = makeButton("cmdDelete", "Delete");
    cmdExportCsv_ = makeButton("cmdExportCsv", "Export CSV\u2026");
    buttons->addWidget(cmdShowOnGraph_, 0, 0);
    buttons->addWidget(cmdOpen_, 0, 1);
    buttons->addWidget(cmdExportCsv_, 1, 0);
    buttons->addWidget(cmdDelete_, 1, 1);
    v->addLayout(buttons);
    connect(cmdShowOnGraph_, &QPushButton::clicked, this,
            [this] { act(&LibraryWindowLogic::cmdShowOnGraph_Click); });
    connect(cmdOpen_, &QPushButton::clicked, this,
            [this] { act(&LibraryWindowLogic::cmdOpen_Click); });
    connect(cmdDelete_, &QPushButton::clicked, this,
            [this] { act(&LibraryWindowLogic::cmdDelete_Click); });
    connect(cmdExportCsv_, &QPushButton::clicked, this,
            [this] { act(&LibraryWindowLogic::cmdExportCsv_Click); });
    lblStatus_ = new QLabel;
    lblStatus_->setObjectName("lblStatus");
    lblStatus_->setWordWrap(true);
    v->addWidget(lblStatus_);
    h->addWidget(side, 1);
    return box;
}

QWidget* frmLibrary::buildMatching() {
    auto* frame = new QGroupBox("Matching");
    frame->setObjectName("fraMatching");
    auto* v = new QVBoxLayout(frame);
    auto* row = new QHBoxLayout;
    cboMatchType_ = typeList("cboMatchType", "Valve type to match");
    optPairs_ = new QRadioButton("Pairs");
    optPairs_->setObjectName("optPairs");
    optPairs_->setChecked(true);
    optQuads_ = new QRadioButton("Quads");
    optQuads_->setObjectName("optQuads");
    auto* match = makeButton("cmdMatch", "Match");
    cmdExportMatches_ = makeButton("cmdExportMatches", "Export CSV\u2026");
    row->addWidget(captionFor("T&ype", cboMatchType_));
    row->addWidget(cboMatchType_);
    row->addWidget(optPairs_);
    row->addWidget(optQuads_);
    row->addWidget(match);
    row->addStretch(1);
    row->addWidget(cmdExportMatches_);
    v->addLayout(row);
    lblMatchSummary_ = new QLabel;
    lblMatchSummary_->setObjectName("lblMatchSummary");
    lblMatchSummary_->setWordWrap(true);
    lblMatchSummary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    v->addWidget(lblMatchSummary_);
    tblMatches_ = table("tblMatches", {"Rank", "Distance (%)", "Valve 1", "Valve 2"});
    tblMatches_->setAccessibleName("Matched groups");
    v->addWidget(tblMatches_, 1);

    connect(match, &QPushButton::clicked, this, [this] {
        logic_.model.cboMatchType = cboMatchType_->currentText().trimmed().toStdString();
        logic_.model.optQuads = optQuads_->isChecked();
        logic_.cmdMatch_Click();
        refreshFromModel();
    });
    connect(cmdExportMatches_, &QPushButton::clicked, this,
            [this] { act(&LibraryWindowLogic::cmdExportMatches_Click); });
    return frame;
}

void frmLibrary::act(void (LibraryWindowLogic::*action)()) {
    (logic_.*action)();
    refreshFromModel();
}

void frmLibrary::readFilter() {
    LibraryWindowModel& m = logic_.model;
    m.cboType = cboType_->currentText().trimmed().toStdString();
    m.txtLabel = txtLabel_->text().toStdString();
    m.txtFrom = txtFrom_->text().trimmed().toStdString();
    m.txtTo = txtTo_->text().trimmed().toStdString();
}

void frmLibrary::reload() {
    readFilter();
    logic_.refresh();
    refreshFromModel();
}

void frmLibrary::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    reload();
}

void frmLibrary::refreshTable() {
    const LibraryWindowModel& m = logic_.model;
    const int sortColumn = tblRecords_->horizontalHeader()->sortIndicatorSection();
    const Qt::SortOrder order = tblRecords_->horizontalHeader()->sortIndicatorOrder();
    tblRecords_->setSortingEnabled(false);
    tblRecords_->clearContents();
    tblRecords_->setRowCount(static_cast<int>(m.rows.size()));
    int r = 0;
    for (const LibraryTableRow& row : m.rows) {
        int c = 0;
        for (const std::string* text :
             {&row.date, &row.type, &row.label, &row.measurement, &row.note}) {
            auto* item = new CountingItem(QString::fromStdString(*text));
            item->setData(Qt::UserRole, static_cast<qlonglong>(row.id));
            tblRecords_->setItem(r, c++, item);
        }
        ++r;
    }
    tblRecords_->setSortingEnabled(true);
    tblRecords_->sortByColumn(sortColumn, order);
    tblRecords_->clearSelection();
    for (int i = 0; i < tblRecords_->rowCount(); ++i) {
        const auto id = tblRecords_->item(i, 0)->data(Qt::UserRole).toLongLong();
        if (std::find(m.selected.begin(), m.selected.end(), id) != m.selected.end()) {
            tblRecords_->selectionModel()->select(
                tblRecords_->model()->index(i, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    // The columns as wide as their texts, once; the note takes what is left.
    tblRecords_->resizeColumnsToContents();
    tblRecords_->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
}

void frmLibrary::refreshMatches() {
    const LibraryWindowModel& m = logic_.model;
    std::size_t members = 2;
    for (const MatchTableRow& row : m.matches) {
        members = std::max(members, row.labels.size());
    }
    QStringList headings{"Rank", "Distance (%)"};
    for (std::size_t k = 1; k <= members; ++k) {
        headings << QString("Valve %1").arg(k);
    }
    tblMatches_->clear();
    tblMatches_->setColumnCount(static_cast<int>(headings.size()));
    tblMatches_->setHorizontalHeaderLabels(headings);
    tblMatches_->setRowCount(static_cast<int>(m.matches.size()));
    int r = 0;
    for (const MatchTableRow& row : m.matches) {
        auto* rank = new QTableWidgetItem(QString::number(row.rank));
        rank->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        tblMatches_->setItem(r, 0, rank);
        auto* distance = new QTableWidgetItem(QString::fromStdString(row.distance));
        distance->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        tblMatches_->setItem(r, 1, distance);
        int c = 2;
        for (const std::string& label : row.labels) {
            tblMatches_->setItem(r, c++, new QTableWidgetItem(QString::fromStdString(label)));
        }
        ++r;
    }
    tblMatches_->resizeColumnsToContents();
    // The valves share the width that is left.
    for (int column = 2; column < tblMatches_->columnCount(); ++column) {
        tblMatches_->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Stretch);
    }
}

void frmLibrary::refreshFromModel(bool rows) {
    refreshing_ = true;
    const LibraryWindowModel& m = logic_.model;
    fillTypes(cboType_, m.types, m.cboType, true);
    const std::string matchType = !m.cboMatchType.empty() ? m.cboMatchType
                                  : !m.cboType.empty()    ? m.cboType
                                  : !m.types.empty()      ? m.types.front()
                                                          : std::string();
    fillTypes(cboMatchType_, m.types, matchType, false);
    txtLabel_->setText(QString::fromStdString(m.txtLabel));
    txtFrom_->setText(QString::fromStdString(m.txtFrom));
    txtTo_->setText(QString::fromStdString(m.txtTo));
    if (rows) {
        refreshTable();
    }
    QString details;
    for (const auto& [caption, text] : m.details) {
        details += QString::fromStdString(caption.empty() ? "" : caption + " ") +
                   QString::fromStdString(text) + "\n";
    }
    txtDetails_->setPlainText(details.trimmed());
    cmdShowOnGraph_->setEnabled(m.oneSelected());
    cmdOpen_->setEnabled(m.oneSelected());
    cmdDelete_->setEnabled(m.anySelected());
    cmdExportCsv_->setEnabled(m.anySelected());
    lblStatus_->setText(QString::fromStdString(m.lblStatus));
    optQuads_->setChecked(m.optQuads);
    optPairs_->setChecked(!m.optQuads);
    lblMatchSummary_->setText(QString::fromStdString(m.lblMatchSummary));
    cmdExportMatches_->setEnabled(m.cmdExportMatchesEnabled);
    refreshMatches();
    refreshing_ = false;
}

}  // namespace ostrino
