#pragma once
// Pictures held as file contents in component properties: JPEG through libjpeg, GIF, BMP, ICO
// and PNG through Qt's readers. Data that does not decode gives a null image, never a failure.

#include "ui/value.h"

#include <QIcon>
#include <QImage>

namespace platform::qt {

QImage decodePicture(const ui::Bytes& data);
// A JPEG file's contents; null when libjpeg rejects the data.
QImage decodeJpeg(const ui::Bytes& data);
// Every image of an icon file, so the desktop can pick the size it needs.
QIcon decodeIcon(const ui::Bytes& data);

} // namespace platform::qt
