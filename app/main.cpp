#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Tallomer");
    window.resize(960, 600);
    window.show();
    return app.exec();
}
