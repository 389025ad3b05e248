// The extension filter dialog: every row of the file type table with a tick
// box; "実行" hands the ticked type indices to the main window.
#pragma once

#include <QtGlobal>
#include <QDialog>

#include <vector>

class QTreeWidget;

namespace larkspool {

class TfrmMain;

inline constexpr const char* kPickUpCaption = QT_TRANSLATE_NOOP("larkspool::TfrmPickUp", "ﾌｧｲﾙの絞り込み");

class TfrmPickUp : public QDialog {
    Q_OBJECT

public:
    explicit TfrmPickUp(TfrmMain& main);

    // The type indices ticked at the last "実行", in row order.
    const std::vector<int>& SelectedTypes() const { return m_selectedTypes; }

    void FormShow();
    // Switches the tick of a row (by its position in the list).
    void ToggleRow(int row);
    void btnRunClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TfrmMain& m_main;
    QTreeWidget* m_listView;
    std::vector<int> m_selectedTypes;
};

} // namespace larkspool
