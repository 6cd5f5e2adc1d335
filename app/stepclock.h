// StepClock: the world's fixed steps against real time. Real time goes into
// an accumulator and the world takes one step for each 50 ms in it, however
// many frames are drawn; the frames in between show the world a fraction
// (alpha) of the way from the step before to the last one.
#pragma once

#include <QtGlobal>

class StepClock {
public:
    static constexpr qint64 kStepNs = 50'000'000; // one step of the world
    // After a stall (a long frame, a hidden window) at most this much time
    // is caught up (5 steps); the rest is dropped, so the world never races.
    static constexpr qint64 kMaxCatchUpNs = 250'000'000;

    // Starts counting again at now (nanoseconds of any steady clock) after
    // a pause: the time since the last step counts, up to one step, so a key
    // that wakes a world that has long been still moves it at once, and
    // waking often never takes more than a step per 50 ms.
    void restart(qint64 nowNs);
    // The number of steps due by now; call once a frame.
    int advance(qint64 nowNs);
    // 0 right after a step, towards 1 just before the next one.
    double alpha() const { return double(accumulatorNs) / double(kStepNs); }

private:
    qint64 lastNs = 0;
    qint64 accumulatorNs = 0;
    qint64 lastStepNs = -kStepNs; // when the last step was due
};
