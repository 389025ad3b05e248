// The window that owns the catalogue and starts the commands (the main
// window), as the job windows and their questions see it.
#pragma once

#include "catalogue/cache_entry.h"
#include "jobs/export_job.h"

#include <QIcon>

#include <string>
#include <vector>

namespace larkspool {

class JobOwner {
public:
    virtual ~JobOwner() = default;

    // The command being run: kOpCopy, kOpMove or kOpDelete.
    virtual int GetOpKind() const = 0;
    // The entries the command takes.
    virtual std::vector<TCacheEntry*>& GetJobList() = 0;
    // Every entry of the catalogue: the files exported links may name.
    virtual const std::vector<TCacheEntry*>& GetCatalogueEntries() const = 0;
    // The destination folder; empty when none is set.
    virtual std::string GetCopyDir() const = 0;
    // The default file names as the owner holds them now.
    virtual DefaultFiles GetDefaultFiles() const = 0;
    // The large icon of a file's type; a type not seen before is added.
    virtual QIcon GetTypeIcon(const std::string& path) = 0;
};

} // namespace larkspool
