// The main window with a destination folder of its own and the drivers the
// command tests share: focus, job list paths, tree folders and cache lookups.
#pragma once

#include "tests/app/main_window_fixture.h"
#include "tests/support/modal_driver.h"
#include "tests/support/temp_folder.h"

#include <QTreeWidgetItemIterator>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace larkspool::testing {

// The job windows close by themselves when their job ends.
inline const QStringList kProgressWindows{"frmFileOp", "frmFileOp2", "frmRefresh"};

class CommandsFixture : public MainWindowFixture {
protected:
    TfrmMain& OpenSite()
    {
        AddSite();
        Open();
        Refresh();
        Main().Command().copyDir = m_dest.Path().string();
        return Main();
    }
    std::vector<std::string> JobPaths()
    {
        std::vector<std::string> paths;
        for (const TCacheEntry* entry : Main().Command().jobList)
            paths.push_back(entry->SitePath);
        return paths;
    }
    std::vector<std::string> TreeTexts()
    {
        std::vector<std::string> texts;
        for (QTreeWidgetItemIterator it(Main().treeView()); *it; ++it)
            texts.push_back((*it)->text(0).toStdString());
        return texts;
    }
    bool InCache(const std::string& url) { return m_cache.InCache(url); }
    std::string Exported(const std::string& relative) const
    {
        std::ifstream in(m_dest.Path() / relative, std::ios::binary);
        if (!in)
            return "<missing>";
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Lets the driver's last answers through and checks all were given.
    void ExpectAllAnswered(const ModalDriver& driver)
    {
        WaitFor([&driver] { return driver.Done(); }, "every answer");
        EXPECT_TRUE(Main().catalogue().IsConsistent());
    }

    TempFolder m_dest;
};

} // namespace larkspool::testing
