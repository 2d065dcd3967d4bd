#include "fault_point.h"

#include <unistd.h>

namespace vantor {

namespace {
int armedAt = 0;
int code = 77;
long calls = 0;
} // namespace

void faultPoint() {
    ++calls;
    if (armedAt > 0 && calls >= armedAt)
        ::_exit(code);
}

void armFaultPoint(int k, int exitCode) {
    armedAt = k > 0 ? k : 0;
    code = exitCode;
    calls = 0;
}

} // namespace vantor
