// Handing the window's waiting events over from inside a long command, and running handlers so that
// an error never crosses Qt's event loop.
#pragma once

#include "Dialogs.h"

#include <QElapsedTimer>
#include <QEvent>

#include <functional>
#include <utility>

class QObject;

namespace Events {

/// Paces the rounds of event handling of a long command: a round is due when the last one is at least
/// a few milliseconds old, so the window repaints and answers input at the screen's pace while the work
/// in between runs undisturbed. When a round brings costly work with it (a large text to set before it
/// and to read again after it), the rounds are spread out to twice that cost, so that the command still
/// gets on with its own work.
class TPacer {
public:
    static constexpr qint64 kIntervalMs = 8;

    /// A long command or update starts: rounds at the base pace again, and what the command does before
    /// its first round (reading its input the first time) is its own work, not a cost of rounds.
    void Begin();

    /// Whether a round is due; the time from the first "yes" to the round counts as the round's cost.
    bool Due();

    /// Counts work that a round made necessary, such as reading a large text again after it.
    void AddCost(qint64 ms) {
        if (roundsBegun)
            cost += ms;
    }

    /// Handles every waiting event (repaints, input, timers, posted events).
    void ProcessMessages();

    /// Handles the waiting events but input, which waits for the next full round: the window repaints
    /// and stays live while a long update is under way, and no click or key can change what it updates.
    /// Such a round brings no work with it, so it keeps the base pace.
    void ProcessMessagesButInput();

private:
    QElapsedTimer lastRound;
    QElapsedTimer dueSince;
    qint64 interval = kIntervalMs;
    qint64 cost = 0;
    bool roundsBegun = true;
};

/// Shows each event of the given type to handler before target gets it; handler returns true to stop it
/// there. The window uses it instead of overriding its event handlers.
void Intercept(QObject* target, QEvent::Type type, std::function<bool(QEvent*)> handler);

/// A handler that sends every error escaping it to the standard report. Qt does not carry exceptions
/// through its event loop, so every handler connected to a signal is wrapped in this.
template <class F> auto Guarded(F handler) {
    return [handler = std::move(handler)] {
        try {
            handler();
        } catch (...) {
            Dialogs::StandardReport(std::current_exception());
        }
    };
}

} // namespace Events
