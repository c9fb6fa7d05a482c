#include "backends/qt/pictures.h"

#include <QBuffer>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace platform::qt {

namespace {

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void leaveOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// Pictures larger than this are refused rather than allocated: no template needs one.
constexpr unsigned long maxPixels = 64ul << 20;

// libjpeg reports fatal errors by jumping back here. Only plain C objects live in this frame,
// so the jump skips no destructor; the image belongs to the caller.
bool readJpeg(const ui::Bytes& data, QImage* image)
{
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = leaveOnError;
    error.manager.output_message = [](j_common_ptr) {};
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    bool fits = static_cast<unsigned long>(info.output_width) * info.output_height <= maxPixels;
    if (fits)
        *image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    if (!fits || image->isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool isJpeg(const ui::Bytes& data)
{
    return data.size() >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff;
}

QByteArray view(const ui::Bytes& data)
{
    return QByteArray::fromRawData(
        reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
}

} // namespace

QImage decodeJpeg(const ui::Bytes& data)
{
    QImage image;
    if (!readJpeg(data, &image))
        return {};
    return image;
}

QImage decodePicture(const ui::Bytes& data)
{
    if (data.empty())
        return {};
    if (isJpeg(data)) {
        // libjpeg cannot turn CMYK into RGB; Qt's reader can.
        if (QImage image = decodeJpeg(data); !image.isNull())
            return image;
    }
    return QImage::fromData(view(data));
}

QIcon decodeIcon(const ui::Bytes& data)
{
    QByteArray bytes = view(data);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QIcon icon;
    do {
        QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    return icon;
}

} // namespace platform::qt
