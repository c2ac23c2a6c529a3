#pragma once
// A read-only list of the machine's serial devices for the consoles' port controls: one
// line per device (device, description, USB vendor:product id), or a line saying there
// are none.

#include <QListWidget>
#include <functional>
#include <vector>

#include "platform/serial_devices.h"

namespace ostrino {

class SerialDeviceList : public QListWidget {
  public:
    using Source = std::function<std::vector<SerialDeviceInfo>()>;

    // source gives the devices (the system's by default); the list is filled at once.
    explicit SerialDeviceList(Source source = {}, QWidget* parent = nullptr);

    // Asks for the devices again (a window calls it when it is shown).
    void refresh();

    // The lines shown.
    QStringList lines() const;

  private:
    Source source_;
};

}  // namespace ostrino
