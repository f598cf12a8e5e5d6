// Picture kinds, registered by file extension, and the picture control that the layout fills through
// them.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QLabel>
#include <QString>

#include <functional>

namespace Picture {

/// Decodes the bytes of a picture file; throws EInvalidGraphic on bad data.
using TDecoder = std::function<QImage(const QByteArray& bytes)>;

/// Registers a picture kind under a file extension ("jpg"), with its description ("JPEG Image File").
void RegisterFileFormat(const QString& extension, const QString& description, TDecoder decoder);

/// The description registered for an extension, or an empty string.
QString FormatDescription(const QString& extension);

/// Reads a picture file (a path or a ":/" resource) with the decoder registered for its extension.
/// Throws EInvalidGraphic for an unknown extension, a missing file or bad data.
QImage Load(const QString& fileName);

} // namespace Picture

/// The picture control: draws its picture at natural size from the top-left corner. The layout sets
/// the picture by file name through the "picture" property.
class TImage : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString picture READ picture WRITE setPicture)

public:
    explicit TImage(QWidget* parent = nullptr);

    QString picture() const { return fileName; }
    void setPicture(const QString& name);

private:
    QString fileName;
};
