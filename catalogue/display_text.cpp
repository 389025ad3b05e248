#include "catalogue/display_text.h"

#include <QStringDecoder>

namespace larkspool {
namespace {

QString DecodeField(QByteArrayView field)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(field);
    if (!utf8.hasError())
        return text;
    QStringDecoder sjis("Windows-31J");
    if (!sjis.isValid())
        sjis = QStringDecoder("Shift_JIS");
    return sjis.isValid() ? QString(sjis.decode(field)) : QString::fromLatin1(field);
}

bool StartsJis(const std::string& bytes, std::size_t at)
{
    return bytes.compare(at, 3, "\x1b$B") == 0 || bytes.compare(at, 3, "\x1b$@") == 0;
}

// The end of a JIS run starting at at: just past its escape back to ASCII or
// Roman, or the end of the bytes.
std::size_t JisRunEnd(const std::string& bytes, std::size_t at)
{
    for (std::size_t i = at + 3; i + 3 <= bytes.size(); ++i) {
        if (bytes.compare(i, 3, "\x1b(B") == 0 || bytes.compare(i, 3, "\x1b(J") == 0)
            return i + 3;
    }
    return bytes.size();
}

QString DecodeJis(QByteArrayView run)
{
    QStringDecoder jis("ISO-2022-JP");
    if (jis.isValid()) {
        QString text = jis.decode(run);
        if (!jis.hasError())
            return text;
    }
    return DecodeField(run);
}

} // namespace

QString DisplayText(const std::string& bytes)
{
    QString text;
    std::size_t fieldStart = 0;
    auto flush = [&](std::size_t end) {
        if (end > fieldStart)
            text += DecodeField(QByteArrayView(bytes.data() + fieldStart, qsizetype(end - fieldStart)));
    };
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (StartsJis(bytes, i)) {
            flush(i);
            const std::size_t end = JisRunEnd(bytes, i);
            text += DecodeJis(QByteArrayView(bytes.data() + i, qsizetype(end - i)));
            fieldStart = i = end;
        } else if (static_cast<unsigned char>(bytes[i]) < 0x40) {
            flush(i);
            text += QLatin1Char(bytes[i]);
            fieldStart = ++i;
        } else {
            ++i;
        }
    }
    flush(bytes.size());
    return text;
}

} // namespace larkspool
