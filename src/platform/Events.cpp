#include "Events.h"

#include <QCoreApplication>

#include <algorithm>

namespace Events {

void TPacer::Begin() {
    interval = kIntervalMs;
    cost = 0;
    dueSince.invalidate();
    roundsBegun = false;
}

bool TPacer::Due() {
    if (lastRound.isValid() && lastRound.elapsed() < interval)
        return false;
    if (!dueSince.isValid())
        dueSince.start();
    return true;
}

void TPacer::ProcessMessages() {
    if (dueSince.isValid()) {
        cost += dueSince.elapsed();
        dueSince.invalidate();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    interval = std::max(kIntervalMs, 2 * cost);
    cost = 0;
    roundsBegun = true;
    lastRound.start();
}

void TPacer::ProcessMessagesButInput() {
    dueSince.invalidate();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    interval = kIntervalMs;
    cost = 0;
    lastRound.start();
}

} // namespace Events
