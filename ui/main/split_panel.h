// The tree and the list side by side, with the bar between them that the
// user drags. While dragged only the bar moves, painted black; the halves
// take their new widths when the button is released.
#pragma once

#include <QSplitter>
#include <QSplitterHandle>

namespace larkspool {

inline constexpr int kSplitBarWidth = 3;
inline constexpr int kSplitMargin = 50;

// Where a bar dragged to newLeft may stand in a panel of panelWidth: at least
// 50 from the left edge, and its left at least 50 before the right edge.
int ClampSplitLeft(int newLeft, int panelWidth);

class SplitBar : public QSplitterHandle {
public:
    explicit SplitBar(QSplitter* parent);

    bool SplitDragging() const { return m_splitDragging; }
    // The left edge of the visible bar within the panel.
    int Left() const { return x() + Margin(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // QSplitter widens a thin handle by invisible margins, easier to grab.
    int Margin() const { return (width() - kSplitBarWidth) / 2; }

    bool m_splitDragging = false;
    int m_splitGrabX = 0;
};

class SplitPanel : public QSplitter {
public:
    // left and right become the two halves; the left one keeps its width
    // when the panel is resized.
    SplitPanel(QWidget* left, QWidget* right, QWidget* parent = nullptr);

    // The split position: the bar's left edge within the panel.
    int SplitBarLeft() const;
    void SetSplitBarLeft(int left);
    SplitBar* Bar() const;

protected:
    QSplitterHandle* createHandle() override;
};

} // namespace larkspool
