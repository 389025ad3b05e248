// A small non-modal help window over QTextBrowser. Topics are anchors in one
// HTML file; links between them stay inside the window.
#include "ui/common/help_window.h"

#include "catalogue/program_language.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace larkspool {

QString HelpFilePath(const QString& programPath)
{
    const QFileInfo program(programPath);
    const QString name = program.completeBaseName() +
                         (CurrentUiLanguage() == UiLanguage::English ? QStringLiteral("_en.hlp") : QStringLiteral(".hlp"));
    const QString beside = program.dir().filePath(name);
    // An installed program keeps its help with the shared data (bin/../share/larkspool).
    const QString installed = QDir::cleanPath(program.dir().filePath(QStringLiteral("../share/larkspool/") + name));
    return QFileInfo::exists(beside) || !QFileInfo::exists(installed) ? beside : installed;
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(tr("Larkspool for Windows ﾍﾙﾌﾟ"));
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(520, 420);
}

void HelpWindow::OpenIndex(const QString& helpFile)
{
    if (QFileInfo(helpFile).isFile()) {
        // The suffix is not .html, so name the type explicitly.
        m_browser->setSource(QUrl::fromLocalFile(helpFile), QTextDocument::HtmlResource);
    } else {
        m_browser->setHtml(tr("<p>ﾍﾙﾌﾟ ﾌｧｲﾙ '%1' が見つかりません。</p>").arg(helpFile.toHtmlEscaped()));
    }
    show();
    raise();
}

QString HelpWindow::Text() const
{
    return m_browser->toPlainText();
}

} // namespace larkspool
