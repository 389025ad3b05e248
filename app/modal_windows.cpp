// One application-wide filter watches every dialog's showing and
// minimising; only modal ones are touched.
#include "app/modal_windows.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <QWindow>

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
        if (type != QEvent::Show && type != QEvent::WindowStateChange)
            return false;
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (!dialog || !dialog->isWindow())
            return false;
        if (type == QEvent::Show && dialog->isModal())
            Showing(*dialog);
        else if (type == QEvent::WindowStateChange && dialog->isModal() && dialog->isMinimized())
            QTimer::singleShot(0, dialog, [dialog] { Restore(*dialog); });
        return false;
    }

private:
    // The show event comes before the window is mapped, so the window
    // manager reads the transient parent with the window's first state.
    static void Showing(QDialog& dialog)
    {
        QWidget* under = WindowUnder(dialog);
        if (!under)
            return;
        QWindow* own = dialog.windowHandle();
        QWindow* parent = under->windowHandle();
        if (!dialog.parentWidget() && own && parent && !LeadsBackTo(parent, own))
            own->setTransientParent(parent);
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
};

} // namespace

void KeepModalWindowsInReach(QApplication& app)
{
    app.installEventFilter(new ModalKeeper(&app));
}

} // namespace larkspool
