#include "JpegImage.h"

#include "Errors.h"
#include "Picture.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace JpegImage {

namespace {

// libjpeg reports a fatal error through error_exit, which must not return: it jumps back to Decode,
// which then throws once libjpeg's state is released.
struct TErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<TErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void OutputMessage(j_common_ptr) {} // warnings are not shown

} // namespace

QImage Decode(const QByteArray& bytes) {
    jpeg_decompress_struct info{};
    TErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.output_message = OutputMessage;
    QImage image;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        throw EInvalidGraphic(std::string("JPEG error: ") + errors.message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    if (image.isNull()) {
        jpeg_destroy_decompress(&info);
        throw EOutOfMemory();
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

void Register() {
    for (const char* extension : {"jpeg", "jpg"})
        Picture::RegisterFileFormat(QString::fromLatin1(extension), QStringLiteral("JPEG Image File"),
                                    Decode);
}

} // namespace JpegImage
