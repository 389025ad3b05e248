// The main window's find bar: a text, a type group, a size range in KB and
// a range of modified dates that narrow the catalogue as they are typed and
// chosen (Catalogue::StartFind).
#pragma once

#include "catalogue/entry_filter.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QSpinBox;

namespace larkspool {

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent);

    // The text as the window shows it, with the type, sizes and dates
    // chosen; the dates are local days, whole.
    EntryFilter Filter() const;
    // Shows it with the text field focused and its text selected.
    void Open();

signals:
    void changed();
    // Esc or the close button: the find ends.
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_text;
    QComboBox* m_type;
    QSpinBox* m_larger;  // KB; 0: no lower bound
    QSpinBox* m_smaller; // KB; 0: no upper bound
    QCheckBox* m_dated;  // the dates narrow only while ticked
    QDateEdit* m_since;
    QDateEdit* m_until;
};

} // namespace larkspool
