#include "Dialogs.h"

#include "Errors.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

namespace Dialogs {

namespace {

QString& Title() {
    static QString title;
    return title;
}

TSink& Sink() {
    static TSink sink;
    return sink;
}

void ShowBox(QMessageBox::Icon icon, const QString& text, bool centred) {
    QMessageBox box(icon, ApplicationTitle(), text, QMessageBox::Ok,
                    centred ? nullptr : QApplication::activeWindow());
    if (centred) {
        box.adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            box.move(screen->availableGeometry().center() - box.rect().center());
    }
    box.exec();
}

} // namespace

void SetApplicationTitle(const QString& title) {
    Title() = title;
}
QString ApplicationTitle() {
    return Title();
}

void SetSink(TSink sink) {
    Sink() = std::move(sink);
}

void ShowErrorBox(const QString& text) {
    if (Sink())
        Sink()(TKind::ErrorBox, text);
    else
        ShowBox(QMessageBox::Critical, text, false);
}

void ShowMessageDialog(const QString& text) {
    if (Sink())
        Sink()(TKind::MessageDialog, text);
    else
        ShowBox(QMessageBox::NoIcon, text, true);
}

QString ReportText(const QString& message) {
    // The last character sorts after "." when its first byte does: every non-ASCII character does.
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void StandardReport(std::exception_ptr error) {
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    QString message;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (const std::bad_alloc&) {
        message = QString::fromUtf8(EOutOfMemory().what());
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("Unknown error");
    }
    ShowErrorBox(ReportText(message));
}

} // namespace Dialogs
