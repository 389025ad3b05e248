// larkspool-cli: the cache, catalogue and jobs without a window.
#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "usage: larkspool-cli [--cache DIR] COMMAND [OPTIONS] [ARGS]\n"
    "       larkspool-cli --help | --version\n";

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Larkspool"));
    QCoreApplication::setOrganizationName(QStringLiteral("Studio Vesprane"));
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("larkspool-cli %s\n", LARKSPOOL_VERSION);
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
