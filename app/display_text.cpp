// Decoding of catalogue texts for display. Names and titles come from URLs
// and pages of any age, so both UTF-8 and Shift-JIS bytes occur.
#include "app/display_text.h"

#include <QStringDecoder>

namespace larkspool {

QString DisplayText(const std::string& bytes)
{
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
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
