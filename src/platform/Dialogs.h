// Message boxes, and the standard report of an error that escapes a handler.
//
// Every box goes through one sink; a test replaces it with a recorder so that nothing modal blocks.
#pragma once

#include <QString>

#include <exception>
#include <functional>

class QWidget;

namespace Dialogs {

enum class TKind {
    ErrorBox,      // stop icon, one OK button, over the application's window
    MessageDialog, // no icon, one OK button, centred on the screen
};

/// The application title: the caption of every box the program shows.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

/// Replaces the real boxes by sink (nullptr: the real boxes again).
using TSink = std::function<void(TKind kind, const QString& text)>;
void SetSink(TSink sink);

void ShowErrorBox(const QString& text);
void ShowMessageDialog(const QString& text);

/// The message as the standard report shows it: a full stop is added when the last character sorts
/// after "." (so "Stream write error" gets one, "file." and "…(x)" keep theirs).
QString ReportText(const QString& message);

/// The standard report: releases the mouse grab, drops a silent abort, shows anything else in an
/// error box. Call it from a catch block.
void StandardReport(std::exception_ptr error);

} // namespace Dialogs
