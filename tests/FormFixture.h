// What every test of the real window needs: the picture kinds registered, the title set, message boxes
// recorded instead of shown, and the per-user state folder in a temporary folder.
#pragma once

#include "Unit1.h"
#include "platform/Dialogs.h"
#include "platform/JpegImage.h"

#include <QTemporaryDir>

#include <utility>
#include <vector>

struct TBoxRecord {
    Dialogs::TKind kind;
    QString text;
};

class TFormFixture {
public:
    TFormFixture() {
        JpegImage::Register();
        Dialogs::SetApplicationTitle(QStringLiteral("墨韵通"));
        Dialogs::SetSink([this](Dialogs::TKind kind, const QString& text) { boxes.push_back({kind, text}); });
        qputenv("XDG_STATE_HOME", stateHome.path().toLocal8Bit());
    }
    ~TFormFixture() { Dialogs::SetSink(nullptr); }

    QString DictionaryPath() const { return stateHome.path() + QStringLiteral("/morvane/diclist.txt"); }

    /// Starts the window as the program does: constructed, then FormCreate through the standard report.
    std::unique_ptr<TForm1> Start() {
        auto form = std::make_unique<TForm1>();
        Events::Guarded([&] { form->FormCreate(); })();
        return form;
    }

    QTemporaryDir stateHome;
    std::vector<TBoxRecord> boxes;
};
