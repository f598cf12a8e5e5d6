#include "Events.h"

#include <QCoreApplication>

#include <algorithm>

namespace Events {

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
    lastRound.start();
}

void TPacer::ProcessMessagesButInput() {
    dueSince.invalidate();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    lastRound.start();
}

} // namespace Events
