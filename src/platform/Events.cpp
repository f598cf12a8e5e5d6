#include "Events.h"

#include <QCoreApplication>

namespace Events {

void TPacer::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    lastRound.start();
}

void TPacer::ProcessMessagesButInput() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    lastRound.start();
}

} // namespace Events
