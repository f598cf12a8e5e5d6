#include "Events.h"

#include <QCoreApplication>

namespace Events {

void TPacer::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    lastRound.start();
}

} // namespace Events
