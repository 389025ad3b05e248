// QSaveFile writes beside the name and renames when committed, so that a
// failure half way leaves whatever was there before.
#include "report/report_file.h"

#include "report/report_text.h"

#include <QSaveFile>

namespace larkspool {

std::string SaveCsvReport(UrlCache& cache, const std::vector<TCacheEntry*>& entries, const std::string& path,
                          const std::function<void(std::size_t index)>& progress)
{
    QSaveFile file(QString::fromLocal8Bit(path.c_str()));
    const auto failed = [&] { return "cannot write the report " + path + ": " + file.errorString().toStdString(); };
    if (!file.open(QIODevice::WriteOnly))
        return failed();
    const auto put = [&file](const std::string& text) {
        return file.write(text.data(), qint64(text.size())) == qint64(text.size());
    };
    if (!put(CsvHeaderLine()))
        return failed();
    EntryReporter reporter(cache, UtcTicksText);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (progress)
            progress(i);
        if (!put(CsvLine(reporter.Row(*entries[i]))))
            return failed();
    }
    return file.commit() ? std::string() : failed();
}

} // namespace larkspool
