// Handing the window's waiting events over from inside a long command, and running handlers so that
// an error never crosses Qt's event loop.
#pragma once

#include "Dialogs.h"

#include <QElapsedTimer>

#include <utility>

namespace Events {

/// Paces the rounds of event handling of a long command: a round is due when the last one is at least
/// a few milliseconds old, so the window repaints and answers input at the screen's pace while the work
/// in between runs undisturbed.
class TPacer {
public:
    static constexpr int kIntervalMs = 8;

    bool Due() const { return !lastRound.isValid() || lastRound.elapsed() >= kIntervalMs; }

    /// Handles every waiting event (repaints, input, timers, posted events).
    void ProcessMessages();

    /// Handles the waiting events but input, which waits for the next full round: the window repaints
    /// and stays live while a long update is under way, and no click or key can change what it updates.
    void ProcessMessagesButInput();

private:
    QElapsedTimer lastRound;
};

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
