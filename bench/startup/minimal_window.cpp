// The reference of the start-up bench: the least a Qt Widgets program does to map a window.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle("minimal");
    window.resize(800, 600);
    window.show();
    return application.exec();
}
