// The snapshot command on a segment file: one PNG per window, of the window's outer size.

#include "gui_fixture.h"

#include "ui/unit_properties.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <fstream>

namespace gui::test {
namespace {

TEST(Snapshot, RendersEveryWindowOfASegmentAtItsOuterSize)
{
    application();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto lamp = withValues(component(0x16010092, unit::label, { 10, 10, 40, 40 }),
        { { prop::label::backColour, 255 } });
    Bytes segment = ui::test::segmentBytes(
        { window(0x52010090, 0x06010091, {}, { lamp }), window(0x520100a0, 0x060100a1, {}, {}) });
    const std::string segmentPath = dir.filePath("windows.seg").toStdString();
    std::ofstream(segmentPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(segment.data()), std::streamsize(segment.size()));

    QProcess snapshot;
    snapshot.start(QStringLiteral(SNAPSHOT_PATH),
        { dir.path(), QStringLiteral("--segment"), QString::fromStdString(segmentPath) });
    ASSERT_TRUE(snapshot.waitForFinished(30'000));
    EXPECT_EQ(snapshot.exitCode(), 0) << snapshot.readAllStandardError().toStdString();

    const QImage first(dir.filePath("52010090.png"));
    ASSERT_EQ(first.size(), QSize(400, 300));
    // The lamp sits in the client area, below the 3-pixel frame and the 19-pixel caption.
    EXPECT_EQ(first.pixelColor(3 + 30, 22 + 30), QColor(Qt::red));
    EXPECT_EQ(QImage(dir.filePath("520100a0.png")).size(), QSize(400, 300));

    snapshot.start(QStringLiteral(SNAPSHOT_PATH),
        { dir.path(), QStringLiteral("--segment"), QString::fromStdString(segmentPath),
            QStringLiteral("0x52019999") });
    ASSERT_TRUE(snapshot.waitForFinished(30'000));
    EXPECT_NE(snapshot.exitCode(), 0) << "an unknown window is an error";
}

} // namespace
} // namespace gui::test
