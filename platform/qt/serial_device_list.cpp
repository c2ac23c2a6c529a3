#include "platform/qt/serial_device_list.h"

#include <QFontDatabase>
#include <QScrollBar>
#include <algorithm>

#include "platform/qt/qt_serial_devices.h"

namespace ostrino {

namespace {

constexpr int kVisibleRows = 4;     // more scroll
constexpr int kWidestLine = 64;     // characters shown without scrolling
constexpr int kNarrowestLine = 36;  // characters

}  // namespace

SerialDeviceList::SerialDeviceList(Source source, QWidget* parent)
    : QListWidget(parent), source_(source ? std::move(source) : Source(systemSerialDevices)) {
    setObjectName("lstSerialDevices");
    setAccessibleName("Serial devices");
    setToolTip(
        "The serial devices of this computer: device, description and, for a USB "
        "adapter, its vendor:product id");
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    refresh();
}

void SerialDeviceList::refresh() {
    clear();
    const std::vector<SerialDeviceInfo> devices = source_();
    if (devices.empty()) {
        addItem(QString::fromUtf8(kNoSerialDevices));
    }
    for (const SerialDeviceInfo& d : devices) {
        addItem(QString::fromStdString(serialDeviceLine(d)));
    }
    // As high as its lines (up to a few) and as wide as the longest (up to a limit), so
    // that nothing is clipped in the usual case and a long list scrolls.
    const QFontMetrics fm(font());
    int longest = 0;
    for (int i = 0; i < count(); ++i) {
        longest = std::max(longest, fm.horizontalAdvance(item(i)->text()));
    }
    const int charWidth = fm.horizontalAdvance(QChar('M'));
    const int widest = std::clamp(longest, kNarrowestLine * charWidth, kWidestLine * charWidth);
    const int rows = std::clamp(count(), 1, kVisibleRows);
    const int rowHeight = std::max(sizeHintForRow(0), fm.height());
    const int frame = 2 * frameWidth();
    setMinimumWidth(widest + frame + 2 * spacing() + 8);
    int height = rows * rowHeight + frame + 4;
    if (longest > widest) {
        height += horizontalScrollBar()->sizeHint().height();
    }
    setFixedHeight(height);
}

QStringList SerialDeviceList::lines() const {
    QStringList out;
    for (int i = 0; i < count(); ++i) {
        out << item(i)->text();
    }
    return out;
}

}  // namespace ostrino
