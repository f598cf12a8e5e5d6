#include "Picture.h"

#include "Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPixmap>

namespace Picture {

namespace {

struct TFormat {
    QString description;
    TDecoder decoder;
};

QHash<QString, TFormat>& Formats() {
    static QHash<QString, TFormat> formats;
    return formats;
}

} // namespace

void RegisterFileFormat(const QString& extension, const QString& description, TDecoder decoder) {
    Formats().insert(extension.toLower(), TFormat{description, std::move(decoder)});
}

QString FormatDescription(const QString& extension) {
    return Formats().value(extension.toLower()).description;
}

QImage Load(const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix().toLower();
    const auto format = Formats().constFind(extension);
    if (format == Formats().cend())
        throw EInvalidGraphic("Unknown picture file extension (." + extension.toStdString() + ")");
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EInvalidGraphic("Cannot open picture \"" + fileName.toStdString() + "\"");
    return format->decoder(file.readAll());
}

} // namespace Picture

TImage::TImage(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setScaledContents(false);
}

void TImage::setPicture(const QString& name) {
    fileName = name;
    setPixmap(name.isEmpty() ? QPixmap() : QPixmap::fromImage(Picture::Load(name)));
}
