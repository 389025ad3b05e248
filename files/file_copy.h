// The files a job writes: opened safely, filled in the kernel where it can,
// and the system's reason for a failure in words.
#pragma once

#include <cstdio>
#include <string>

namespace larkspool {

// Copies what is left of source from its position into target at its
// position. 0, or the errno value of the failure.
int CopyFileData(int source, int target);

// The same from a stream (read to its end) into target.
int CopyStreamData(std::FILE* source, int target);

// An unbuffered stream that writes to target and leaves it open when
// closed: no system call to make, unlike fdopen. Null with errno on failure.
std::FILE* OpenWriteStream(int target);

// Opens name in the open folder for writing, flags O_EXCL for a new file or
// O_TRUNC for a new or replaced one. Never through a symbolic link, never
// blocking on a pipe, and only ever a plain file: -1 with errno otherwise.
int OpenTargetFile(int folder, const std::string& name, int flags);

// Why name in the open folder could not be used after error: what lies
// there when it is a symbolic link or a special file, else the system's
// reason.
std::string TargetReason(int folder, const std::string& name, int error);

// "Permission denied" for EACCES and so on: the line that says why.
std::string SystemReason(int error);

} // namespace larkspool
