// Pictures from file contents and the template fonts on this desktop.

#include "gui_fixture.h"

#include "backends/qt/fonts.h"
#include "backends/qt/picture_cache.h"
#include "backends/qt/pictures.h"

#include <QBuffer>
#include <QFontInfo>

#include <fstream>
#include <iterator>

namespace gui::test {
namespace {

using namespace platform::qt;

Bytes art(const char* name)
{
    std::ifstream in(std::string(DANCEHALL_ART_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes jpegOf(const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return Bytes(data.begin(), data.end());
}

class PictureTest : public ::testing::Test, private ApplicationFirst { };

TEST_F(PictureTest, JpegDecodesWithItsColours)
{
    QImage source(40, 20, QImage::Format_RGB32);
    source.fill(QColor(200, 30, 30));
    const QImage decoded = decodePicture(jpegOf(source));
    ASSERT_EQ(decoded.size(), QSize(40, 20));
    const QColor middle = decoded.pixelColor(20, 10);
    EXPECT_NEAR(middle.red(), 200, 8);
    EXPECT_NEAR(middle.green(), 30, 8);
    EXPECT_NEAR(middle.blue(), 30, 8);
}

TEST_F(PictureTest, DamagedDataGivesNoPictureOrAPartialOne)
{
    // A busy picture, so that most of the file is scan data.
    QImage busy(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            busy.setPixel(x, y, qRgb(x * 4, y * 4, (x * y) & 0xff));
    Bytes jpeg = jpegOf(busy);
    EXPECT_TRUE(decodeJpeg({ 0xff, 0xd8, 0xff, 0x00, 0x01 }).isNull());
    Bytes truncated(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2));
    EXPECT_EQ(decodePicture(truncated).size(), QSize(64, 64)) << "libjpeg fills what is missing";
    Bytes garbage(jpeg.begin(), jpeg.begin() + 20);
    garbage.resize(400, 0x5a);
    EXPECT_TRUE(decodeJpeg(garbage).isNull());
    EXPECT_TRUE(decodePicture({}).isNull());
    EXPECT_TRUE(decodePicture({ 'G', 'I', 'F', '8' }).isNull());
}

TEST_F(PictureTest, ArtworkFormatsDecode)
{
    EXPECT_EQ(decodePicture(art("btn_normal.gif")).size(), QSize(90, 20));
    EXPECT_EQ(decodePicture(art("knob.bmp")).size(), QSize(30, 8));
    const QIcon icon = decodeIcon(art("dancehall.ico"));
    EXPECT_GE(icon.availableSizes().size(), 5);
}

// Buttons share their skins through the cache; one picture must never stand in for another of
// the same size, and what falls out of the cache decodes again.
TEST_F(PictureTest, TheCacheGivesEachContentsItsOwnPicture)
{
    PictureCache cache;
    const Bytes normal = art("btn_normal.gif");
    const Bytes hot = art("btn_hot.gif");
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(cache.decode(normal), decodePicture(normal));
        EXPECT_EQ(cache.decode(hot), decodePicture(hot));
    }
    Bytes knob = art("knob.bmp");
    const QImage before = cache.decode(knob);
    const std::size_t pixels = knob[10] | knob[11] << 8; // where the pixel rows start
    knob[pixels] ^= 0xff; // the first pixel's blue; the size stays
    const QImage after = cache.decode(knob);
    EXPECT_EQ(after, decodePicture(knob));
    EXPECT_NE(after, before);

    for (int shade = 0; shade < 40; ++shade) {
        QImage square(4, 4, QImage::Format_RGB32);
        square.fill(QColor(shade * 6, 0, 0));
        const Bytes jpeg = jpegOf(square);
        EXPECT_EQ(cache.decode(jpeg), decodePicture(jpeg));
    }
    EXPECT_EQ(cache.decode(normal), decodePicture(normal));
    EXPECT_TRUE(cache.decode({}).isNull());
}

TEST_F(PictureTest, TemplateFacesMapToInstalledCjkFonts)
{
    const QFont kai = toQFont({ -29, 400, false, false, false, 134, "楷体_GB2312" });
    EXPECT_EQ(QFontInfo(kai).family(), QStringLiteral("AR PL UKai CN"));
    EXPECT_EQ(kai.pixelSize(), 29);

    const QFont song = toQFont({ -19, 700, false, false, false, 134, "宋体" });
    EXPECT_EQ(QFontInfo(song).family(), QStringLiteral("WenQuanYi Zen Hei"));
    EXPECT_EQ(song.pixelSize(), 19);
    EXPECT_TRUE(song.bold());

    EXPECT_EQ(QFontInfo(toQFont({})).family(), QStringLiteral("WenQuanYi Zen Hei"));
    EXPECT_EQ(toQFont({}).pixelSize(), 12);
}

} // namespace
} // namespace gui::test
