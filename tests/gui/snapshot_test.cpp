// The snapshot command: one PNG per window, of the window's outer size, from the program's own
// templates or a segment file; a clear failure for a bad segment, window id or folder.

#include "gui_fixture.h"

#include "ui/segment_reader.h"
#include "ui/templates/segment.h"
#include "ui/unit_properties.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <QDir>

#include <fstream>

namespace gui::test {
namespace {

struct SnapshotRun {
    int exit = -1;
    std::string err;
};

SnapshotRun snapshot(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(SNAPSHOT_PATH), arguments);
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit)
        return { -1, "did not end by itself" };
    return { process.exitCode(), process.readAllStandardError().toStdString() };
}

void writeBytes(const QString& path, const std::string& bytes)
{
    std::ofstream(path.toStdString(), std::ios::binary)
        .write(bytes.data(), std::streamsize(bytes.size()));
}

bool mentions(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(Snapshot, RendersEveryWindowOfTheProgramAtItsOuterSize)
{
    application();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("windows"));
    const SnapshotRun run = snapshot({ out });
    ASSERT_EQ(run.exit, 0) << run.err;

    const ui::Segment segment
        = ui::readSegment(templates::segment(), ui::UnitRegistry::builtin(), 1 << 16);
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), qsizetype(segment.windows.size()));
    for (const ui::WindowTemplate& window : segment.windows) {
        const QString name = QStringLiteral("%1.png").arg(window.id, 8, 16, QLatin1Char('0'));
        const ui::Geometry& outer = window.components.at(0).geometry;
        EXPECT_EQ(QImage(QDir(out).filePath(name)).size(), QSize(outer.width, outer.height))
            << name.toStdString();
    }
}

TEST(Snapshot, FailsClearlyOnABadSegmentFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("out"));
    struct Case {
        const char* name;
        std::string bytes;
    };
    for (const Case& c : { Case { "empty.seg", "" }, Case { "odd.seg", std::string(300, '\x07') },
             Case { "cut.seg", std::string(3, '\0') } }) {
        writeBytes(dir.filePath(QString::fromLatin1(c.name)), c.bytes);
        const SnapshotRun run = snapshot(
            { out, QStringLiteral("--segment"), dir.filePath(QString::fromLatin1(c.name)) });
        EXPECT_EQ(run.exit, 1) << c.name;
        EXPECT_TRUE(mentions(run.err, "snapshot: ") && mentions(run.err, "offset")) << run.err;
    }
    const SnapshotRun missing
        = snapshot({ out, QStringLiteral("--segment"), dir.filePath(QStringLiteral("none.seg")) });
    EXPECT_EQ(missing.exit, 1);
    EXPECT_TRUE(mentions(missing.err, "snapshot: cannot read ")) << missing.err;
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST(Snapshot, FailsClearlyOnAFolderItCannotWriteIn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("a-file"));
    writeBytes(file, "x");
    for (const QString& out : { file, file + QStringLiteral("/below") }) {
        const SnapshotRun run = snapshot({ out, QStringLiteral("0x52010001") });
        EXPECT_EQ(run.exit, 1) << out.toStdString();
        EXPECT_TRUE(mentions(run.err, "snapshot: cannot make the folder ")) << run.err;
    }
}

TEST(Snapshot, BadArgumentsShowTheUsage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("out"));
    const std::vector<QStringList> cases { {}, { out, QStringLiteral("main") },
        { out, QStringLiteral("0x") }, { out, QStringLiteral("52010001z") },
        { out, QStringLiteral("--segment") },
        { out, QStringLiteral("--at"), QStringLiteral("2026-02-30 20:00:00") } };
    for (const QStringList& arguments : cases) {
        const SnapshotRun run = snapshot(arguments);
        EXPECT_EQ(run.exit, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(mentions(run.err, "usage: snapshot OUTDIR")) << run.err;
    }
    EXPECT_TRUE(!QDir(out).exists() || QDir(out).isEmpty());
}

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
