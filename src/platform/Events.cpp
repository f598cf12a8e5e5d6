#include "Events.h"

#include <QCoreApplication>
#include <QObject>

#include <algorithm>

namespace Events {

namespace {

/// The filter behind Intercept, a child of its target.
class TInterceptor : public QObject {
public:
    TInterceptor(QObject* target, QEvent::Type type, std::function<bool(QEvent*)> handler)
        : QObject(target), type(type), handler(std::move(handler)) {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return watched == parent() && event->type() == type && handler(event);
    }

private:
    QEvent::Type type;
    std::function<bool(QEvent*)> handler;
};

} // namespace

void Intercept(QObject* target, QEvent::Type type, std::function<bool(QEvent*)> handler) {
    new TInterceptor(target, type, std::move(handler));
}

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
