// The program's entry: the picture kinds, the application and its title, the main window Form1 with
// its creation handler, and the event loop until Form1 is closed.
#include "Unit1.h"

#include "platform/Dialogs.h"
#include "platform/JpegImage.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    JpegImage::Register();
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("morvane"));
    application.setDesktopFileName(QStringLiteral("io.github.morvane.Morvane"));
    Dialogs::SetApplicationTitle(QStringLiteral("墨韵通"));

    std::unique_ptr<TForm1> Form1;
    try {
        Form1 = std::make_unique<TForm1>();
    } catch (...) {
        Dialogs::StandardReport(std::current_exception());
        return 1;
    }
    Events::Guarded([&] { Form1->FormCreate(); })();

    Form1->show();
    return application.exec();
}
