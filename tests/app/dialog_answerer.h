// Answers the modal dialogs a command opens, one after the other: each step
// waits until the named dialog is the active modal window, lets the test look
// at it, and clicks one of its buttons by name. Message boxes are met by the
// name "QMessageBox" and answered with their first button.
#pragma once

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace larkspool::testing {

class DialogAnswerer {
public:
    struct Seen {
        std::string dialog;
        std::string caption;
        std::string text; // a message box's text
    };

    DialogAnswerer()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
        m_timer.start();
    }

    // Clicks button of dialog when it shows; look runs just before. Without a
    // button the look answers.
    DialogAnswerer& Answer(const char* dialog, const char* button, std::function<void(QWidget&)> look = {})
    {
        m_steps.push_back({dialog, button, std::move(look)});
        return *this;
    }

    bool Done() const { return m_steps.empty(); }
    const std::vector<Seen>& Log() const { return m_log; }

private:
    struct Step {
        std::string dialog;
        std::string button;
        std::function<void(QWidget&)> look;
    };

    void Tick()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || m_steps.empty())
            return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        const std::string name = box ? "QMessageBox" : modal->objectName().toStdString();
        if (name != m_steps.front().dialog || !modal->isVisible())
            return;
        const Step step = m_steps.front();
        m_steps.pop_front();
        m_log.push_back({name, modal->windowTitle().toStdString(), box ? box->text().toStdString() : ""});
        if (step.look)
            step.look(*modal);
        if (box)
            box->buttons().front()->click();
        else if (step.button.empty())
            return; // the look answered
        else if (auto* button = modal->findChild<QPushButton*>(QString::fromStdString(step.button)))
            button->click();
    }

    QTimer m_timer;
    std::deque<Step> m_steps;
    std::vector<Seen> m_log;
};

// The text of a named label of a window.
inline std::string LabelText(QWidget& window, const char* name)
{
    const auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text().toStdString() : "<no " + std::string(name) + ">";
}

} // namespace larkspool::testing
