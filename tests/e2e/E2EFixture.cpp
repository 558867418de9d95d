#include "tests/e2e/E2EFixture.h"

#include <QTest>

namespace e2e {

void E2E::key(Qt::Key k, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = window();
    ASSERT_NE(target, nullptr);
    // Keys go where the user's go: to the widget that has the focus in the Space window.
    if (QWidget* focus = target->focusWidget())
        target = focus;
    QTest::keyClick(target, k, modifiers);
}

} // namespace e2e
