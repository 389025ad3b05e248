// File times as the catalogue and the jobs keep them: FILETIME ticks (100 ns
// since 1601-01-01), either UTC or "local" (shifted by the local offset of
// that instant), and the file functions that read and set last-write times.
#pragma once

#include "cache/file_time.h"

#include <cstdint>
#include <string>

struct stat;

namespace larkspool {

// UTC to local time with the C library's time zone, at the offset in force
// at that instant.
FileTicks FileTimeToLocalFileTime(FileTicks utc);
// The inverse. A local time that occurs twice (the hour after summer time
// ends) gives the earlier instant; one that never occurs (the hour skipped in
// spring) is read with the offset before the change.
FileTicks LocalFileTimeToFileTime(FileTicks local);

// Each returns 0 on success and -1 when the file cannot be read or changed;
// errno then says why. None opens the file, so a pipe never blocks them.
// The last-write time, converted to local time.
int GetLocalFileTime(const std::string& path, FileTicks& local);
// Sets the last-write time only, from UTC (exact also in the hour that
// occurs twice when summer time ends); creates an empty file when path is
// missing. The owner may set it on a read-only file; a final symbolic link
// is not followed.
int SetFileTimeUtc(const std::string& path, FileTicks utc);
int SetFileTimeUtc(int fd, FileTicks utc);
// The size is the low 32 bits; a size of 0xffffffff counts as failure.
int GetLocalFileTimeAndSize(const std::string& path, FileTicks& local, DWORD& size);
// As GetLocalFileTimeAndSize, but the time stays UTC.
int GetFileTimeAndSize(const std::string& path, FileTicks& utc, DWORD& size);
// The same from what stat gave; size may be null.
int TimeAndSizeOf(const struct stat& status, FileTicks& utc, DWORD* size);

} // namespace larkspool
