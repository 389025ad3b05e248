#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The tab-separated fields of the first line.
std::vector<std::string> Fields(const std::string& text)
{
    std::vector<std::string> fields(1);
    for (char c : text.substr(0, text.find('\n'))) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back().push_back(c);
    }
    return fields;
}

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    CliRun Start(const QStringList& args, const QByteArray& stdinText = {})
    {
        QProcess process;
        process.setProgram(QStringLiteral(LARKSPOOL_CLI));
        process.setArguments(QStringList{QStringLiteral("--cache"), CacheDir()} + args);
        process.start();
        process.write(stdinText);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }
    QString CacheDir() const { return m_dir.path() + QStringLiteral("/cache"); }
    QString WriteFile(const QString& name, const std::string& bytes) const
    {
        const QString path = m_dir.path() + QLatin1Char('/') + name;
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(Cli, help_and_version_exit_zero)
{
    const CliRun help = Start({QStringLiteral("--help")});
    const CliRun version = Start({QStringLiteral("--version")});

    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: larkspool-cli"), std::string::npos);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("larkspool-cli ", 0), 0u);
}

TEST_F(Cli, bad_usage_exits_two_with_a_reason)
{
    const QStringList cases[] = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("entries"), QStringLiteral("extra")},
        {QStringLiteral("add"), QStringLiteral("http://h/a")},
        {QStringLiteral("add"), QStringLiteral("http://h/a"), QStringLiteral("f"), QStringLiteral("--modified"),
         QStringLiteral("yesterday")},
        {QStringLiteral("remove"), QStringLiteral("--bogus"), QStringLiteral("http://h/a")},
    };
    for (const QStringList& args : cases) {
        const CliRun run = Start(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_NE(run.err.find("larkspool-cli: "), std::string::npos);
    }
}

TEST_F(Cli, missing_cache_folder_reads_as_empty)
{
    const CliRun run = Start({QStringLiteral("entries")});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
}

TEST_F(Cli, add_then_entries_then_remove)
{
    const QString page = WriteFile(QStringLiteral("page.htm"), "<html><title>x</title></html>");

    const CliRun added = Start({QStringLiteral("add"), QStringLiteral("http://host/dir/page.htm"), page,
                             QStringLiteral("--modified"), QStringLiteral("2006-05-14T09:30:00Z")});
    const CliRun listed = Start({QStringLiteral("entries")});

    ASSERT_EQ(added.exitCode, 0) << added.err;
    const std::vector<std::string> fields = Fields(listed.out);
    ASSERT_EQ(fields.size(), 6u) << listed.out;
    EXPECT_EQ(fields[0], "http://host/dir/page.htm");
    EXPECT_EQ(fields[1] + "\n", added.out);
    EXPECT_EQ(fields[2].size(), 8u);
    EXPECT_EQ(fields[3], "29");
    EXPECT_EQ(fields[4], "2006-05-14T09:30:00Z");

    const CliRun removed = Start({QStringLiteral("remove"), QStringLiteral("http://host/dir/page.htm")});
    const CliRun again = Start({QStringLiteral("remove"), QStringLiteral("http://host/dir/page.htm")});
    EXPECT_EQ(removed.exitCode, 0);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(Start({QStringLiteral("entries")}).out, "");
}

TEST_F(Cli, add_replaces_the_old_entry_of_the_url)
{
    const QString first = WriteFile(QStringLiteral("a.gif"), "GIF89a-1");
    const QString second = WriteFile(QStringLiteral("b.gif"), "GIF89a-22");

    Start({QStringLiteral("add"), QStringLiteral("http://host/a.gif"), first});
    Start({QStringLiteral("add"), QStringLiteral("http://host/a.gif"), second});
    const CliRun listed = Start({QStringLiteral("entries")});

    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 1);
    EXPECT_NE(listed.out.find("\t9\t"), std::string::npos);
}

TEST_F(Cli, add_of_a_missing_file_stops_with_one)
{
    const CliRun run = Start({QStringLiteral("add"), QStringLiteral("http://host/a.gif"),
                           m_dir.path() + QStringLiteral("/nothing.gif")});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Start({QStringLiteral("entries")}).out, "");
}

TEST_F(Cli, unreadable_cache_file_exits_two)
{
    QDir().mkpath(CacheDir());
    std::ofstream((CacheDir() + QStringLiteral("/index.dat")).toStdString()) << "this is not a cache file at all";

    const CliRun run = Start({QStringLiteral("entries")});

    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("cannot read the cache"), std::string::npos);
}

} // namespace
