// iconset: turns the program's icon file into the desktop's icon theme layout.
//
//   iconset ICON-FILE OUTDIR NAME
//
// Writes OUTDIR/<size>x<size>/apps/NAME.png for every image the icon file holds, unscaled,
// so each size keeps the pixels it was drawn with.

#include <QCoreApplication>
#include <QDir>
#include <QImageReader>

#include <iostream>

int main(int argc, char** argv)
{
    QCoreApplication tool(argc, argv);
    const QStringList args = tool.arguments();
    if (args.size() != 4) {
        std::cerr << "usage: iconset ICON-FILE OUTDIR NAME\n";
        return 2;
    }
    QImageReader reader(args[1]);
    int written = 0;
    do {
        QImage image = reader.read();
        if (image.isNull()) {
            std::cerr << "iconset: " << args[1].toStdString() << ": "
                      << reader.errorString().toStdString() << '\n';
            return 1;
        }
        const QString size = QStringLiteral("%1x%2").arg(image.width()).arg(image.height());
        const QString folder = args[2] + "/" + size + "/apps";
        if (!QDir().mkpath(folder) || !image.save(folder + "/" + args[3] + ".png", "PNG")) {
            std::cerr << "iconset: cannot write " << folder.toStdString() << '\n';
            return 1;
        }
        ++written;
    } while (reader.jumpToNextImage());
    return written > 0 ? 0 : 1;
}
