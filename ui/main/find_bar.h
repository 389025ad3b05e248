// The main window's find bar: a text and a type group that narrow the
// catalogue as they are typed and chosen (Catalogue::StartFind).
#pragma once

#include "catalogue/entry_filter.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace larkspool {

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent);

    // The text as the window shows it, with the type chosen.
    EntryFilter Filter() const;
    // Shows it with the text field focused and its text selected.
    void Open();
    // "N / M 件": the entries found among all.
    void SetCount(std::size_t found, std::size_t all);

signals:
    void changed();
    // Esc or the close button: the find ends.
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_text;
    QComboBox* m_type;
    QLabel* m_count;
};

} // namespace larkspool
