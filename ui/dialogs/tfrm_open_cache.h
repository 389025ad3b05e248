// The window of "ｷｬｯｼｭﾌｫﾙﾀﾞを開く": the caches found on this machine, and a
// folder chooser for any other.
#pragma once

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QListWidget;

namespace larkspool {

struct FoundCacheRow {
    std::string folder;
    std::string format; // "index.dat", "chromium-simple", ...; for several caches their formats
    std::optional<std::size_t> entries; // none when it cannot be read
    bool inUse = false; // the cache the window shows
    std::size_t caches = 1; // more: a folder holding several, opened as one
};

class TfrmOpenCache : public QDialog {
    Q_OBJECT
public:
    TfrmOpenCache(const std::vector<FoundCacheRow>& caches, QWidget* parent);

    // The folder chosen once accepted.
    std::string ChosenFolder() const { return m_chosen; }

private:
    void btnOKClick();
    void btnBrowseClick();

    QListWidget* m_list;
    std::string m_chosen;
};

} // namespace larkspool
