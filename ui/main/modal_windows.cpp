// One application-wide filter watches every dialog's showing, minimising
// and hiding; only modal ones are touched.
#include "ui/main/modal_windows.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <unordered_map>

namespace larkspool {
namespace {

// The window a dialog about to show will block: the modal window on top, else
// the active window, else the visible main window.
QWidget* WindowUnder(const QWidget& dialog)
{
    for (QWidget* candidate : {QApplication::activeModalWidget(), QApplication::activeWindow()}) {
        if (candidate && candidate->window() != &dialog && candidate->isVisible())
            return candidate->window();
    }
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(top) && top->isVisible())
            return top;
    }
    return nullptr;
}

// Whether making parent the dialog's transient parent would close a loop.
bool LeadsBackTo(const QWindow* parent, const QWindow* dialog)
{
    for (const QWindow* step = parent; step; step = step->transientParent()) {
        if (step == dialog)
            return true;
    }
    return false;
}

class ModalKeeper : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Show && type != QEvent::Hide && type != QEvent::WindowStateChange)
            return false;
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (!dialog || !dialog->isWindow())
            return false;
        if (type == QEvent::Show && dialog->isModal())
            Showing(*dialog);
        else if (type == QEvent::Hide)
            Hidden(*dialog);
        else if (type == QEvent::WindowStateChange && dialog->isModal() && dialog->isMinimized())
            QTimer::singleShot(0, dialog, [dialog] { Restore(*dialog); });
        return false;
    }

private:
    // The show event comes before the window is mapped, so the window
    // manager reads the transient parent with the window's first state.
    void Showing(QDialog& dialog)
    {
        QWidget* under = WindowUnder(dialog);
        if (!under)
            return;
        m_returnTo[&dialog] = under;
        QWindow* own = dialog.windowHandle();
        QWindow* parent = under->windowHandle();
        if (!dialog.parentWidget() && own && parent && !LeadsBackTo(parent, own))
            own->setTransientParent(parent);
    }

    // Later, so that a dialog shown in the hidden one's place is met.
    void Hidden(QDialog& dialog)
    {
        const auto found = m_returnTo.find(&dialog);
        if (found == m_returnTo.end())
            return;
        const QPointer<QWidget> back = found->second;
        m_returnTo.erase(found);
        if (!back)
            return;
        QTimer::singleShot(0, back, [back] {
            QWidget* modal = QApplication::activeModalWidget();
            if (back->isVisible() && (!modal || modal == back))
                back->activateWindow();
        });
    }

    static void Restore(QDialog& dialog)
    {
        if (!dialog.isVisible() || !dialog.isMinimized())
            return;
        dialog.setWindowState(dialog.windowState() & ~Qt::WindowMinimized);
        dialog.show();
        dialog.raise();
        dialog.activateWindow();
    }

    // Each modal dialog shown -> the window that had the focus before it.
    std::unordered_map<const QDialog*, QPointer<QWidget>> m_returnTo;
};

} // namespace

void KeepModalWindowsInReach(QApplication& app)
{
    app.installEventFilter(new ModalKeeper(&app));
}

} // namespace larkspool
