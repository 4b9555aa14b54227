// The least a Qt Widgets program does to show a main window: the floor the desktop program's start-up is
// measured against. Built with the same compiler, flags and Qt as the program.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Qt floor"));
    window.setCentralWidget(new QLabel(QStringLiteral("Qt floor"), &window));
    window.show();
    return QApplication::exec();
}
