#pragma once
// Toggles a check box or option button the way an assistive tool (a screen reader, voice
// control) does: through the button's accessible toggle action, which is no mouse click.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>

namespace ostrino::test {

inline void assistiveToggle(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

}  // namespace ostrino::test
