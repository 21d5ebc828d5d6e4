// A test hook for crash tests: every step on disk that a crash could cut in
// two passes a kill point; once armed with a number N (by arm(), or by
// FILEWRIGHT_KILL_AT in the environment), the process kills itself with
// SIGKILL at the N-th point it passes. Unarmed, a point costs one atomic read.
#pragma once

namespace KillPoint {

void reach();
void arm(long long n);

} // namespace KillPoint
