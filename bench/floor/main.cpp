// Bare Qt with the main window's shape: the floor that the program's start-up is measured
// against. Same title, menus, list, buttons and label at the same pixel places, same size.

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Student Information"));

    QMenu *file = window.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"), &app, &QApplication::quit);
    QMenu *help = window.menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About"));

    // 5565 x 3195 twips at 15 twips to the pixel.
    auto *client = new QWidget(&window);
    client->setFixedSize(371, 213);
    window.setCentralWidget(client);
    int top = 16;
    for (const char *caption :
         {"&Add a New Student", "&Remove a Student", "&Display a student", "E&xit"}) {
        auto *button = new QPushButton(QString::fromLatin1(caption), client);
        button->setGeometry(272, top, 81, 33);
        top += 48;
    }
    auto *list = new QListWidget(client);
    list->setGeometry(56, 32, 177, 56);
    auto *label = new QLabel(QStringLiteral("Students:"), client);
    label->setGeometry(56, 16, 145, 17);

    const QSize size(371, 213 + window.menuBar()->sizeHint().height());
    window.resize(size);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() -
                    QPoint(size.width() / 2, size.height() / 2));
    window.show();
    return QApplication::exec();
}
