#include "ui/main/title_bar_buttons.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace larkspool {
namespace {

enum : std::uint32_t {
    kHintFunctions = 1, kHintDecorations = 2,
    kFuncMove = 4, kFuncMinimize = 8, kFuncMaximize = 16, kFuncClose = 32,
    kDecorBorder = 2, kDecorTitle = 8, kDecorMenu = 16, kDecorMinimize = 32, kDecorMaximize = 64,
};

// The _MOTIF_WM_HINTS words (flags, functions, decorations, input mode,
// status) for a fixed-size window with these flags.
std::array<std::uint32_t, 5> MotifHintsFor(Qt::WindowFlags flags)
{
    std::uint32_t functions = kFuncMove;
    std::uint32_t decorations = kDecorBorder | kDecorTitle;
    if (flags.testFlag(Qt::WindowCloseButtonHint)) {
        functions |= kFuncClose;
        decorations |= kDecorMenu;
    }
    if (flags.testFlag(Qt::WindowMinimizeButtonHint)) {
        functions |= kFuncMinimize;
        decorations |= kDecorMinimize;
    }
    if (flags.testFlag(Qt::WindowMaximizeButtonHint)) {
        functions |= kFuncMaximize;
        decorations |= kDecorMaximize;
    }
    return {kHintFunctions | kHintDecorations, functions, decorations, 0, 0};
}

// The atom is asked for once, before any window shows, not at each showing.
xcb_atom_t MotifHintsAtom(xcb_connection_t* connection)
{
    static const char name[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

void WriteMotifHints(QWidget& window, xcb_connection_t* connection, xcb_atom_t atom)
{
    const auto hints = MotifHintsFor(window.windowFlags());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window.winId()), atom, atom, 32,
                        std::uint32_t(hints.size()), hints.data());
    xcb_flush(connection);
}

// Rewrites the hints of a dialog just before it is mapped; the window manager
// reads them then.
class TitleBarKeeper : public QObject {
public:
    TitleBarKeeper(xcb_connection_t* connection, QObject* parent)
        : QObject(parent), m_connection(connection), m_atom(MotifHintsAtom(connection))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && m_atom != XCB_ATOM_NONE) {
            auto* dialog = qobject_cast<QDialog*>(watched);
            if (dialog && dialog->isWindow() && dialog->windowFlags().testFlag(Qt::CustomizeWindowHint))
                WriteMotifHints(*dialog, m_connection, m_atom);
        }
        return false;
    }

private:
    xcb_connection_t* m_connection;
    xcb_atom_t m_atom;
};

} // namespace

void KeepTitleBarButtonsAsAsked(QApplication& app)
{
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->connection())
        app.installEventFilter(new TitleBarKeeper(x11->connection(), &app));
}

} // namespace larkspool
