#include "io_seams.h"

#include "fault_point.h"

#include <unistd.h>

namespace vantor {

IoSeams& ioSeams() {
    static IoSeams seams;
    return seams;
}

WriteCall setWriteCall(WriteCall call) {
    const WriteCall previous = ioSeams().write;
    ioSeams().write = call;
    return previous;
}

void faultPoint() {
    IoSeams& s = ioSeams();
    ++s.faultCalls;
    if (s.faultAfter > 0 && s.faultCalls >= s.faultAfter)
        ::_exit(s.faultExitCode);
}

void armFaultPoint(int k, int exitCode) {
    IoSeams& s = ioSeams();
    s.faultAfter = k > 0 ? k : 0;
    s.faultExitCode = exitCode;
    s.faultCalls = 0;
}

} // namespace vantor
