#include "jpeg_image.h"

#include "common/error.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace vantor {

namespace {
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr, int) {} // warnings are of no use to the user
} // namespace

QImage decodeJpeg(QByteArrayView data) {
    jpeg_decompress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.emit_message = onMessage;
    // Nothing with a destructor may live between setjmp and a longjmp back to it.
    QImage* image = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        delete image;
        throw Error(
            QStringLiteral("Cannot decode the picture: %1").arg(QString::fromLatin1(err.message)));
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image = new QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    QImage out = *image;
    delete image;
    return out;
}

} // namespace vantor
