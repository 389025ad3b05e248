// Waits on a condition, never on the clock: the bound is generous enough for
// a loaded machine, and a condition that never comes fails the test by name
// instead of letting it go on in a state it did not mean to reach.
#pragma once

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace larkspool::testing {

template <typename Condition>
bool WaitFor(Condition condition, const char* what, int milliseconds = 10000)
{
    const bool met = QTest::qWaitFor(condition, milliseconds);
    EXPECT_TRUE(met) << what << " did not come within " << milliseconds << " ms";
    return met;
}

// Gives the widget the keyboard focus. Its window takes the activation back
// from a closed dialog first; on a loaded machine a late activation event of
// that dialog may take it away again, so the focus is asked for until it holds.
inline bool TakeFocus(QWidget& widget, const char* what)
{
    return WaitFor(
        [&widget] {
            widget.window()->activateWindow();
            widget.setFocus();
            return widget.hasFocus();
        },
        what);
}

} // namespace larkspool::testing
