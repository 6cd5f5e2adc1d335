// StepClock: steps due from elapsed time, with the catch-up capped.
#include "app/stepclock.h"

#include <algorithm>

void StepClock::restart(qint64 nowNs) {
    lastNs = nowNs;
    accumulatorNs = std::clamp<qint64>(nowNs - lastStepNs, 0, kStepNs);
}

int StepClock::advance(qint64 nowNs) {
    const qint64 elapsed = std::clamp<qint64>(nowNs - lastNs, 0, kMaxCatchUpNs);
    lastNs = nowNs;
    accumulatorNs += elapsed;
    const int steps = int(accumulatorNs / kStepNs);
    accumulatorNs -= steps * kStepNs;
    if (steps > 0)
        lastStepNs = nowNs - accumulatorNs;
    return steps;
}
