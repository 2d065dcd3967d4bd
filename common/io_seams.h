#pragma once

#include <cstddef>
#include <sys/types.h>

namespace vantor {

// The system call every write of the programs goes through; tests put their own in its place
// to cut writes short, interrupt them or make them fail. offset < 0 writes at the file position.
using WriteCall = ssize_t (*)(int fd, const void* data, std::size_t size, off_t offset);

// Where tests reach into the programs' file I/O, in one place: the write call and the crash
// point. The programs never set them; they only run through them.
struct IoSeams {
    WriteCall write = nullptr; // nullptr: the system's write/pwrite
    // >= 1: the k-th fault point after arming ends the process with faultExitCode.
    int faultAfter = 0;
    int faultExitCode = 77;
    long faultCalls = 0;
};

IoSeams& ioSeams();

// Installs call (nullptr: the system's own) and gives back the one installed before.
WriteCall setWriteCall(WriteCall call);

} // namespace vantor
