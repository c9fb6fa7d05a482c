// screencheck: takes a picture of the X screen and compares pictures, for checking that an
// installed program shows its window. Not a visual-regression framework: one tolerance for
// fonts drawn a little differently, and rectangles left out where the picture shows the day
// and time, nothing more.
//
//   screencheck grab OUT.png
//   screencheck compare ACTUAL.png REFERENCE.png [MAX-PERCENT] [--ignore X,Y,W,H]...
//
// compare prints the share of pixels that differ noticeably and exits 0 when it is within
// MAX-PERCENT (default 1), 1 when not or when the sizes differ.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <QRect>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A pixel differs when one channel moves by more than this: anti-aliasing and hinting stay
// below it, a missing control or text does not.
constexpr int channelTolerance = 48;

int usage()
{
    std::fputs("usage: screencheck grab OUT.png\n"
               "       screencheck compare ACTUAL.png REFERENCE.png [MAX-PERCENT] "
               "[--ignore X,Y,W,H]...\n",
        stderr);
    return 2;
}

int grab(int argc, char** argv)
{
    QGuiApplication display(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "screencheck: cannot grab the screen into %s\n", argv[2]);
        return 1;
    }
    return 0;
}

int compare(const char* actualPath, const char* referencePath, double maxPercent,
    const std::vector<QRect>& ignored)
{
    const QImage actual
        = QImage(QString::fromLocal8Bit(actualPath)).convertToFormat(QImage::Format_RGB32);
    const QImage reference
        = QImage(QString::fromLocal8Bit(referencePath)).convertToFormat(QImage::Format_RGB32);
    if (actual.isNull() || reference.isNull() || actual.size() != reference.size()) {
        std::fprintf(stderr,
            "screencheck: %s and %s cannot be compared (missing or sizes differ)\n", actualPath,
            referencePath);
        return 1;
    }
    long long differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
        const auto* r = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            const QPoint at(x, y);
            bool skipped = false;
            for (const QRect& rect : ignored)
                skipped = skipped || rect.contains(at);
            if (skipped)
                continue;
            if (std::abs(qRed(a[x]) - qRed(r[x])) > channelTolerance
                || std::abs(qGreen(a[x]) - qGreen(r[x])) > channelTolerance
                || std::abs(qBlue(a[x]) - qBlue(r[x])) > channelTolerance)
                ++differing;
        }
    }
    const double percent = 100.0 * differing / (double(actual.width()) * actual.height());
    std::printf("%s differs from %s in %.2f%% of its pixels (limit %.2f%%)\n", actualPath,
        referencePath, percent, maxPercent);
    return percent <= maxPercent ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "grab") == 0)
        return grab(argc, argv);
    if (argc < 4 || std::strcmp(argv[1], "compare") != 0)
        return usage();
    double maxPercent = 1.0;
    std::vector<QRect> ignored;
    for (int i = 4; i < argc; ++i) {
        int x, y, w, h;
        if (std::strcmp(argv[i], "--ignore") == 0 && i + 1 < argc
            && std::sscanf(argv[i + 1], "%d,%d,%d,%d", &x, &y, &w, &h) == 4) {
            ignored.emplace_back(x, y, w, h);
            ++i;
        } else {
            char* end = nullptr;
            maxPercent = std::strtod(argv[i], &end);
            if (end == argv[i] || *end != '\0')
                return usage();
        }
    }
    QCoreApplication tool(argc, argv);
    return compare(argv[2], argv[3], maxPercent, ignored);
}
