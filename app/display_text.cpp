// Decoding of catalogue texts for display. Names and titles come from URLs
// and pages of any age, so UTF-8, Shift-JIS and JIS (ISO-2022-JP) bytes occur.
#include "app/display_text.h"

#include <QStringDecoder>

namespace larkspool {

QString DisplayText(const std::string& bytes)
{
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    // JIS text is 7-bit, so it would pass as UTF-8: its escape sequence tells it.
    if (bytes.find("\x1b$B") != std::string::npos || bytes.find("\x1b$@") != std::string::npos) {
        QStringDecoder jis("ISO-2022-JP");
        if (jis.isValid()) {
            const QString text = jis.decode(view);
            if (!jis.hasError())
                return text;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    QStringDecoder sjis("Windows-31J");
    if (!sjis.isValid())
        sjis = QStringDecoder("Shift_JIS");
    if (sjis.isValid())
        return sjis.decode(view);
    return QString::fromLatin1(view);
}

} // namespace larkspool
