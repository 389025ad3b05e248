// Size texts in the 1000/1024 scheme of the file list, and date texts of local
// FILETIME values in the system locale's formats.
#include "catalogue/size_date_texts.h"

#include "catalogue/program_language.h"
#include "catalogue/translated_text.h"

#include <QDateTime>
#include <QLocale>

#include <cstdio>

namespace larkspool {
namespace {

constexpr const char* kUnits[] = {"", "KB", "MB", "GB", "TB"};

// The calendar fields of a FILETIME taken as they stand (no zone applied).
QDateTime CalendarFields(FileTicks ticks)
{
    constexpr qint64 kEpochMilliseconds = 11'644'473'600'000;
    const qint64 milliseconds = qint64(ticks / 10'000) - kEpochMilliseconds;
    return QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC);
}

// A time format without the given fields: each run of a field letter goes
// together with the separator before it ("HH:mm:ss t" less "st" is "HH:mm");
// quoted text stays.
QString WithoutFields(const QString& format, const QString& letters)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || !letters.contains(format[i])) {
            out += format[i];
            continue;
        }
        while (!out.isEmpty() && !out.back().isLetter() && out.back() != QLatin1Char('\''))
            out.chop(1);
        while (i + 1 < format.size() && format[i + 1] == format[i])
            ++i;
    }
    return out;
}

// "%1 ﾊﾞｲﾄ" in the language in use, looked up once per language: a refresh
// sizes every entry of the cache.
const std::string& BytesPattern()
{
    static std::string patterns[2];
    std::string& pattern = patterns[CurrentUiLanguage() == UiLanguage::English];
    if (pattern.empty())
        pattern = Translated("SizeDateTexts", "%1 ﾊﾞｲﾄ");
    return pattern;
}

} // namespace

std::string FormatSizeText(DWORD sizeLow, DWORD sizeHigh, bool atLeast)
{
    if (atLeast)
        return FillIn(Translated("SizeDateTexts", "%1 以上"), {FormatSizeText(sizeLow, sizeHigh)});
    double value = double(sizeHigh) * 4294967296.0 + double(sizeLow);
    int unit = 0;
    while (value > 1000) {
        value *= 1.0 / 1024;
        ++unit;
    }
    if (unit >= 5)
        return Translated("SizeDateTexts", "範囲外");
    if (unit == 0)
        return FillIn(BytesPattern(), {std::to_string(std::uint64_t(value))});
    char text[32];
    if (value < 10)
        std::snprintf(text, sizeof text, "%.2f %s", value, kUnits[unit]);
    else if (value < 100)
        std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    else
        std::snprintf(text, sizeof text, "%.0f %s", value, kUnits[unit]);
    return text;
}

std::string FormatSizeLine(DWORD size)
{
    return FillIn(Translated("SizeDateTexts", "ｻｲｽﾞ : %1"), {FormatSizeText(size, 0)});
}

std::string FormatDateLine(FileTicks local)
{
    const QLocale locale = QLocale();
    const QDateTime fields = CalendarFields(local);
    const QString date = locale.toString(fields.date(), QLocale::LongFormat);
    const QString time = locale.toString(fields.time(), WithoutFields(locale.timeFormat(QLocale::LongFormat), "t"));
    return FillIn(Translated("SizeDateTexts", "更新日時 : %1、%2"), {date.toStdString(), time.toStdString()});
}

std::string FormatListDateText(FileTicks local)
{
    return ListDateTexts().Format(local);
}

std::string ListDateTexts::Format(FileTicks local)
{
    const QDateTime fields = CalendarFields(local);
    QString& date = m_days[fields.date().toJulianDay()];
    if (date.isNull())
        date = m_locale.toString(fields.date(), QLocale::ShortFormat);
    // Without seconds the time's text depends on its hour and minute only.
    QString& time = m_minutes[fields.time().isValid() ? fields.time().msecsSinceStartOfDay() / 60'000 : -1];
    if (time.isNull()) {
        if (m_timeFormat.isNull())
            m_timeFormat = WithoutFields(m_locale.timeFormat(QLocale::ShortFormat), "stz");
        time = m_locale.toString(fields.time(), m_timeFormat);
    }
    return (date + QLatin1Char(' ') + time).toStdString();
}

} // namespace larkspool
