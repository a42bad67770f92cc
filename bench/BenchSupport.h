#pragma once

#include <QElapsedTimer>

#include <algorithm>

// The best of rounds runs of work, in milliseconds: the figure least disturbed
// by other load on the machine.
template <typename Work> double bestMs(int rounds, Work work)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}
