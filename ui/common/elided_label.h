// A label that ends its text with "…" when it is narrower than the text,
// instead of cutting it off or pushing its neighbours over; text() stays
// whole.
#pragma once

#include <QLabel>

namespace larkspool {

class ElidedLabel : public QLabel {
public:
    // designedWidth: the width asked for while there is room, grown when the
    // text needs more.
    explicit ElidedLabel(QWidget* parent, int designedWidth = 0);

    // The text as drawn at the label's width now.
    QString ShownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_designedWidth;
};

} // namespace larkspool
