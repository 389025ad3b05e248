// Throughput of the link rewriter on a generated corpus of realistic pages
// (head, scripts, styles with url()s, comments, navigation, tables, srcset,
// long tags, Shift-JIS text), written to a temporary folder when the
// benchmark starts.
#include "html/html_rewriter.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kCorpusBytes = 64u << 20;

class Corpus {
public:
    Corpus()
        : m_folder(std::filesystem::temp_directory_path() / "larkspool-html-bench")
    {
        std::filesystem::create_directories(m_folder);
        std::mt19937 random(1999);
        while (m_bytes < kCorpusBytes) {
            const std::string page = makePage(random, m_pages.size());
            const std::string path = (m_folder / ("p" + std::to_string(m_pages.size()) + ".htm")).string();
            std::ofstream(path, std::ios::binary) << page;
            m_pages.push_back(path);
            m_bytes += page.size();
        }
        m_target = (m_folder / "out.htm").string();
    }
    ~Corpus() { std::filesystem::remove_all(m_folder); }

    const std::vector<std::string>& pages() const { return m_pages; }
    std::size_t bytes() const { return m_bytes; }
    const std::string& target() const { return m_target; }

private:
    static std::string makePage(std::mt19937& random, std::size_t number)
    {
        const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        const char* const hosts[] = {"www.example.co.jp", "images.example.com", "host", "other.example.org"};
        const char* const words[] = {"cache ", "export ", "\x83\x79\x81\x5B\x83\x57 ", "\x95\x5C\x8E\xA6 ",
                                     "the ", "page ", "\x83\x5C\x83\x74\x83\x67 ", "link ", "of ", "files "};
        const auto text = [&](std::size_t count) {
            std::string out;
            for (std::size_t i = 0; i < count; ++i)
                out += words[pick(std::size(words))];
            return out;
        };
        const auto link = [&]() -> std::string {
            switch (pick(7)) {
            case 0: return "http://" + std::string(hosts[pick(4)]) + "/dir/page" + std::to_string(pick(500)) + ".htm";
            case 1: return "page" + std::to_string(pick(500)) + ".html";
            case 2: return "/top/index.asp?id=" + std::to_string(pick(1000));
            case 3: return "../up/a" + std::to_string(pick(50)) + ".htm#sec";
            case 4: return "mailto:info@example.co.jp";
            case 5: return "file://C:/Export/host/dir/f" + std::to_string(pick(90)) + ".htm";
            default: return "sub/";
            }
        };

        std::string page = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n<HTML>\r\n<HEAD>\r\n"
                           "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\r\n";
        page += "<TITLE>" + text(6) + std::to_string(number) + "</TITLE>\r\n";
        page += "<LINK REL=\"stylesheet\" HREF=\"/css/site.css\" TYPE=\"text/css\">\r\n"
                "<STYLE TYPE=\"text/css\">\r\n<!--\r\nBODY { margin: 0 } TD.nav { background: #EEF }\r\n"
                "@import \"/css/print.css\" print;\r\n@font-face { font-family: Site; src: url(/fonts/site.woff2) "
                "format(\"woff2\"), url('//images.example.com/fonts/site.ttf'); }\r\n"
                ".hero { background: url(\"/img/hero.jpg\") no-repeat; } /* url(/img/old.gif) */\r\n-->\r\n</STYLE>\r\n"
                "<SCRIPT LANGUAGE=\"JavaScript\">\r\n<!--\r\nfunction swap(i, s) { if (i < 3 && s > 0) "
                "document.images[i].src = s; }\r\n//-->\r\n</SCRIPT>\r\n</HEAD>\r\n"
                "<BODY BGCOLOR=\"#FFFFFF\" BACKGROUND=\"/img/bg.gif\">\r\n<TABLE WIDTH=\"100%\">\r\n";
        for (int i = 0; i < 12; ++i) {
            page += "<TR><TD CLASS=nav><A HREF=\"" + link() + "\" onMouseOver=\"swap(1, 'x.gif')\">" + text(2)
                + "</A></TD></TR>\r\n";
        }
        page += "</TABLE>\r\n";
        const std::size_t paragraphs = 40 + pick(80);
        for (std::size_t i = 0; i < paragraphs; ++i) {
            page += "<P>" + text(20 + pick(30));
            if (pick(2))
                page += "<A HREF=\"" + link() + "\">" + text(3) + "</A>";
            if (pick(4) == 0)
                page += "<IMG SRC=\"http://images.example.com/pic/" + std::to_string(pick(999))
                    + ".jpg\" WIDTH=120 HEIGHT=90 ALT=\"" + text(2) + "\">";
            if (pick(4) == 1)
                page += "<IMG SRCSET=\"/pic/" + std::to_string(pick(999)) + "-480.jpg 480w, http://images.example.com/pic/"
                    + std::to_string(pick(999)) + "-960.jpg 960w\" SIZES=\"(max-width: 600px) 480px, 960px\" SRC=\"/pic/"
                    + std::to_string(pick(999)) + ".jpg\" ALT=\"" + text(2) + "\">";
            if (pick(8) == 0)
                page += "<DIV CLASS=\"card\" DATA-CONFIG=\"" + std::string(600 + pick(1200), 'c')
                    + "\" STYLE=\"background-image: url('/img/card" + std::to_string(pick(99)) + ".png')\">";
            page += text(10) + "</P>\r\n";
            if (pick(10) == 0)
                page += "<!-- " + text(8) + " -->\r\n";
        }
        page += "<HR>\r\n<ADDRESS>" + text(5) + "</ADDRESS>\r\n</BODY>\r\n</HTML>\r\n";
        return page;
    }

    std::filesystem::path m_folder;
    std::vector<std::string> m_pages;
    std::size_t m_bytes = 0;
    std::string m_target;
};

const Corpus& TheCorpus()
{
    static const Corpus corpus;
    return corpus;
}

// The null device measures the rewriter itself; a real target adds the file
// system's cost of truncating and writing each page.
void RewriteCorpus(benchmark::State& state, larkspool::RewriteMode mode, bool toFile)
{
    const Corpus& corpus = TheCorpus();
    const std::string target = toFile ? corpus.target() : "/dev/null";
    larkspool::HtmlReader reader;
    for (auto _ : state) {
        for (const std::string& page : corpus.pages()) {
            const int result = larkspool::RewriteHtmlFile(reader, page, "host/dir/", "index.html", mode, target,
                                                          "C:\\Export");
            if (result != larkspool::kRewriteOk)
                state.SkipWithError("rewrite failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus.bytes()));
    state.counters["pages"] = static_cast<double>(corpus.pages().size());
}

void BM_RewriteExport(benchmark::State& state)
{
    RewriteCorpus(state, larkspool::RewriteMode::Export, false);
}

void BM_RewriteImport(benchmark::State& state)
{
    RewriteCorpus(state, larkspool::RewriteMode::Import, false);
}

void BM_RewriteExportToFile(benchmark::State& state)
{
    RewriteCorpus(state, larkspool::RewriteMode::Export, true);
}

void BM_ExtractTitle(benchmark::State& state)
{
    const Corpus& corpus = TheCorpus();
    larkspool::HtmlReader reader;
    std::string title;
    for (auto _ : state) {
        for (const std::string& page : corpus.pages())
            larkspool::ExtractHtmlTitle(reader, page, title);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * corpus.pages().size()));
}

} // namespace

BENCHMARK(BM_RewriteExport)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_RewriteImport)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_RewriteExportToFile)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_ExtractTitle)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
