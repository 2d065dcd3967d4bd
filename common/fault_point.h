#pragma once

namespace vantor {

// A seam for crash tests: called before every write, truncation, fsync, rename and unlink of a
// data file. Unarmed it does nothing; armed with k, the k-th call after arming ends the process
// at once with _exit, as a kill between two system calls would.
void faultPoint();

// Arms the seam (k >= 1) or disarms it (k <= 0). Meant for a forked child.
void armFaultPoint(int k, int exitCode = 77);

} // namespace vantor
