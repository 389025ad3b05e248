// Answers the modal windows a test opens. Each queued step runs once on the
// next modal window that comes up (a dialog, a message box over it, the
// dialog again when the box has gone); steps press buttons through the event
// loop, never inside the step, so that a window a press opens is met by the
// next step. A modal window left over when the steps have run out is closed,
// and the test fails instead of hanging; so is a window other than the one a
// step expects. Both failures name the window met.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace larkspool::testing {

class ModalDriver {
public:
    using Step = std::function<void(QWidget*)>;

    // Windows of the names passing close by themselves (progress windows)
    // and are left alone.
    explicit ModalDriver(QStringList passing = {}) : m_passing(std::move(passing))
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this] { Poll(); });
        m_poll.start(5);
        m_idle.start();
        qApp->installEventFilter(&m_shows);
    }
    ~ModalDriver() { EXPECT_EQ(m_next, m_steps.size()) << "steps left unused"; }

    ModalDriver& Then(Step step)
    {
        m_steps.push_back(std::move(step));
        return *this;
    }
    // Leaves windows of that object name alone: they close by themselves.
    ModalDriver& LetPass(const char* objectName)
    {
        m_passing.push_back(QString::fromLatin1(objectName));
        return *this;
    }
    // Presses the button of that object name in the window.
    ModalDriver& Press(const char* buttonName)
    {
        return Then([buttonName](QWidget* window) { Click(window->findChild<QAbstractButton*>(buttonName)); });
    }
    // Expects the window of that object name, notes its caption, lets look
    // at it and presses the button named; without a button the look answers.
    ModalDriver& Expect(const char* windowName, const char* buttonName = nullptr,
                        std::function<void(QWidget&)> look = {})
    {
        return Then([this, windowName, buttonName, look](QWidget* window) {
            if (!Meets(window, window->objectName() == QLatin1String(windowName), windowName))
                return;
            captions.push_back(window->windowTitle().toStdString());
            if (look)
                look(*window);
            if (buttonName)
                Click(window->findChild<QAbstractButton*>(buttonName));
        });
    }
    // Notes a message box's caption and text, then answers it.
    ModalDriver& Answer(QMessageBox::StandardButton button = QMessageBox::Ok)
    {
        return Then([this, button](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!Meets(window, box != nullptr, "a message box"))
                return;
            captions.push_back(box->windowTitle().toStdString());
            messages.push_back(box->text().toStdString());
            Click(box->button(button));
        });
    }

    // True once every step has run.
    bool Done() const { return m_next == m_steps.size(); }

    static void Click(QAbstractButton* button)
    {
        ASSERT_NE(button, nullptr) << "no such button";
        Later(button, [button] { button->click(); });
    }
    // Runs action through the event loop, as a press: a step that opens a
    // window must not open it inside the step.
    static void Later(QObject* context, std::function<void()> action)
    {
        ++PendingClicks();
        QTimer::singleShot(0, context, [action = std::move(action)] {
            --PendingClicks(); // before the action, which may open a window and wait
            action();
        });
    }

    std::vector<std::string> captions;
    std::vector<std::string> messages;

private:
    // Presses asked for and not yet made: no step runs before they are.
    static int& PendingClicks()
    {
        static int count = 0;
        return count;
    }

    void Poll()
    {
        QWidget* window = QApplication::activeModalWidget();
        if (!window || PendingClicks() > 0 || m_passing.contains(window->objectName()))
            return;
        // A window met before and active again may be one whose child just
        // closed while the handler that showed the child has yet to close it
        // too: only if it is still there at the next poll does it wait for a step.
        const bool back = window != m_last && std::find(m_met.begin(), m_met.end(), window) != m_met.end();
        if (back && std::exchange(m_seen, window) != window)
            return;
        m_seen = nullptr;
        // A press that opens nothing leaves the same window for the next step.
        if (window == m_last && m_idle.elapsed() < 50)
            return;
        m_idle.restart();
        if (!Meets(window, m_next < m_steps.size(), "no further window"))
            return;
        m_last = window;
        m_met.emplace_back(window);
        m_steps[m_next++](window);
    }

    // Fails the test naming the window met, and closes it, unless matches.
    static bool Meets(QWidget* window, bool matches, const char* expected)
    {
        if (matches)
            return true;
        ADD_FAILURE() << "expected " << expected << ", met " << Describe(window);
        if (auto* dialog = qobject_cast<QDialog*>(window))
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        return false;
    }
    static std::string Describe(QWidget* window)
    {
        auto* box = qobject_cast<QMessageBox*>(window);
        return (box ? "a message box" : window->objectName().toStdString()) + " '" +
               window->windowTitle().toStdString() + "'" + (box ? ": " + box->text().toStdString() : "");
    }

    // The same dialog shown again counts as a new window.
    class ShowWatcher : public QObject {
    public:
        explicit ShowWatcher(QPointer<QWidget>& last) : m_last(last) {}
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Show && watched == m_last)
                m_last = nullptr;
            return false;
        }

    private:
        QPointer<QWidget>& m_last;
    };

    QTimer m_poll;
    QElapsedTimer m_idle;
    QPointer<QWidget> m_last;
    QPointer<QWidget> m_seen;
    std::vector<QPointer<QWidget>> m_met;
    std::vector<Step> m_steps;
    QStringList m_passing;
    std::size_t m_next = 0;
    ShowWatcher m_shows{m_last};
};

// The text of a named label of a window.
inline std::string LabelText(QWidget& window, const char* name)
{
    const auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text().toStdString() : "<no " + std::string(name) + ">";
}

} // namespace larkspool::testing
