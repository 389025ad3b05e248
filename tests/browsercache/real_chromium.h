// Real Chromium writing a fresh disk cache: a folder of files served on
// 127.0.0.1 by python3's http.server, loaded by headless Chromium with its
// own profile and cache folder. Available() is false when either program
// is missing, so the tests that need it skip.
#pragma once

#include "tests/support/temp_folder.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace larkspool::testing {

class RealChromium {
public:
    static bool Available()
    {
        return std::system("command -v chromium >/dev/null 2>&1 && command -v python3 >/dev/null 2>&1") == 0;
    }

    // Serves site (below the temporary folder) on a free port.
    RealChromium()
    {
        const std::string command = "cd '" + m_folder.Under("site") +
                                    "' && echo $$ && exec python3 -u -m http.server 0 --bind 127.0.0.1 2>/dev/null";
        std::filesystem::create_directories(m_folder.Path() / "site");
        m_server = popen(command.c_str(), "r");
        char line[256];
        if (m_server && std::fgets(line, sizeof line, m_server))
            m_serverPid = std::atoi(line);
        // "Serving HTTP on 127.0.0.1 port 41234 (http://127.0.0.1:41234/) ..."
        if (m_server && std::fgets(line, sizeof line, m_server)) {
            const std::string text = line;
            const std::size_t port = text.find(" port ");
            if (port != std::string::npos)
                m_port = std::atoi(text.c_str() + port + 6);
        }
    }
    ~RealChromium()
    {
        if (m_serverPid > 0)
            kill(m_serverPid, SIGTERM);
        if (m_server)
            pclose(m_server);
    }
    RealChromium(const RealChromium&) = delete;
    RealChromium& operator=(const RealChromium&) = delete;

    std::string Serve(const std::string& name, const std::string& content) const { return m_folder.Write("site/" + name, content); }
    std::string Url(const std::string& name) const { return "http://127.0.0.1:" + std::to_string(m_port) + "/" + name; }

    // Loads the page and returns true when Chromium ran to the end.
    bool Load(const std::string& name) const
    {
        const std::string command = "timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run "
                                    "--user-data-dir='" + m_folder.Under("profile") + "' --disk-cache-dir='" +
                                    m_folder.Under("cache") + "' --dump-dom '" + Url(name) + "' >/dev/null 2>&1";
        return m_port > 0 && std::system(command.c_str()) == 0;
    }

    // Where Chromium puts its HTTP cache below the --disk-cache-dir folder.
    std::filesystem::path CacheFolder() const { return m_folder.Path() / "cache" / "Default" / "Cache" / "Cache_Data"; }

private:
    TempFolder m_folder;
    std::FILE* m_server = nullptr;
    int m_serverPid = 0;
    int m_port = 0;
};

} // namespace larkspool::testing
