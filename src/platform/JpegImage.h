// JPEG pictures, decoded with libjpeg.
#pragma once

#include <QByteArray>
#include <QImage>

namespace JpegImage {

/// Decodes a JPEG file's bytes into an RGB image; throws EInvalidGraphic with libjpeg's message.
QImage Decode(const QByteArray& bytes);

/// Registers the JPEG picture kind under "jpeg" and "jpg" as "JPEG Image File".
void Register();

} // namespace JpegImage
