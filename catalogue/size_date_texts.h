// The size and date texts of the file list and the overwrite questions.
#pragma once

#include "cache/wininet_types.h"
#include "files/file_times.h"

#include <QLocale>
#include <QString>

#include <string>
#include <unordered_map>

namespace larkspool {

// "512 ﾊﾞｲﾄ", "0.98 KB", "10.0 MB", "100 GB" ... "範囲外" from 1000 × 1024^4 up;
// a size that is only a lower bound is "8.00 MB 以上".
std::string FormatSizeText(DWORD sizeLow, DWORD sizeHigh, bool atLeast = false);
// "ｻｲｽﾞ : " and the size text.
std::string FormatSizeLine(DWORD size);
// "更新日時 : " long date "、" time, of a local time.
std::string FormatDateLine(FileTicks local);
// The list's date column: short date, a blank, short time without seconds.
std::string FormatListDateText(FileTicks local);

// FormatListDateText for the entries of one listing. Formatting through the
// system locale costs microseconds an entry, and entries share days and
// minutes: each day's and each minute's text is made once, in the locale
// as it was when the listing began.
class ListDateTexts {
public:
    std::string Format(FileTicks local);

private:
    QLocale m_locale = QLocale();
    QString m_timeFormat;
    std::unordered_map<qint64, QString> m_days;  // Julian day
    std::unordered_map<int, QString> m_minutes; // minute of the day
};

} // namespace larkspool
