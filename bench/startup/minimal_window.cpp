// The references of the start-up bench: the least a Qt Widgets program does to map a window,
// and, with --text, the least one does to map a window showing a line of Chinese text (the
// font database is read before the window can be laid out).

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle("minimal");
    window.resize(800, 600);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0)
        (new QLabel("当前场次：", &window))->adjustSize();
    window.show();
    return application.exec();
}
