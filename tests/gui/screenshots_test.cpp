// The pictures in docs/screenshots are what the program draws today, pixel for pixel: a change
// that moves one pixel of a window fails here and names the window. docs/screenshots/update.sh
// renders them again when the change is meant.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// How many pixels of two pictures of the same size differ.
qsizetype differingPixels(const QImage& committed, const QImage& rendered)
{
    const QImage a = committed.convertToFormat(QImage::Format_ARGB32);
    const QImage b = rendered.convertToFormat(QImage::Format_ARGB32);
    qsizetype count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            count += rowA[x] != rowB[x];
    }
    return count;
}

TEST(Screenshots, EveryCommittedPictureIsWhatTheProgramDrawsPixelForPixel)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir committed(QStringLiteral(DANCEHALL_SCREENSHOTS));
    QProcess render;
    render.setProcessChannelMode(QProcess::MergedChannels);
    render.start(QStringLiteral("bash"),
        { committed.filePath(QStringLiteral("render.sh")), QStringLiteral(DANCEHALL_BUILD_DIR),
            dir.path() });
    ASSERT_TRUE(render.waitForFinished(180'000)) << "render.sh did not end";
    ASSERT_EQ(render.exitCode(), 0) << render.readAll().toStdString();

    const QStringList pictures = committed.entryList({ QStringLiteral("*.png") }, QDir::Files);
    const QDir rendered(dir.path());
    EXPECT_EQ(rendered.entryList({ QStringLiteral("*.png") }, QDir::Files), pictures)
        << "render.sh and the committed pictures name different windows";
    ASSERT_FALSE(pictures.isEmpty());
    for (const QString& name : pictures) {
        SCOPED_TRACE(name.toStdString());
        const QImage before(committed.filePath(name));
        const QImage now(rendered.filePath(name));
        ASSERT_FALSE(before.isNull());
        ASSERT_FALSE(now.isNull()) << "not rendered";
        ASSERT_EQ(now.size(), before.size());
        const qsizetype differing = differingPixels(before, now);
        EXPECT_EQ(differing, 0) << differing << " of "
                                << qsizetype(before.width()) * before.height() << " pixels differ";
    }
}

} // namespace
