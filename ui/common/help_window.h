// The help viewer: the program's help file (its own path with ".hlp"), an
// HTML file of topics, opened at its index.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace larkspool {

// The help file of the running program: beside it, its base name + ".hlp"
// ("_en.hlp" in English); when that is absent, the same name in
// ../share/larkspool if it is there.
QString HelpFilePath(const QString& programPath);

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the file's index of topics; a missing file is reported inside.
    void OpenIndex(const QString& helpFile);
    QString Text() const;

private:
    QTextBrowser* m_browser;
};

} // namespace larkspool
