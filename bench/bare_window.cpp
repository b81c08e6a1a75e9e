// The yardstick for start-up: a Qt Widgets window with the same controls as Pelmora's,
// the same size and background colour, and no logic at all.
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(454, 342);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 255));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.setFont(QFont(QStringLiteral("Times New Roman"), 12));

    (new QLabel(QStringLiteral("Title"), &window))->setGeometry(64, 0, 337, 25);
    for (int c = 0; c < 4; ++c)
        (new QLabel(QStringLiteral("R"), &window))->setGeometry(104 + 64 * c, 32, 65, 25);
    auto* group = new QButtonGroup(&window);
    for (int r = 0; r < 6; ++r) {
        auto* option = new QRadioButton(QStringLiteral("Option"), &window);
        option->setGeometry(8, 56 + 24 * r, 97, 25);
        group->addButton(option, r);
        for (int c = 0; c < 4; ++c)
            (new QLineEdit(&window))->setGeometry(104 + 64 * c, 56 + 24 * r, 65, 27);
    }
    (new QPushButton(QStringLiteral("Go"), &window))->setGeometry(368, 56, 81, 25);
    (new QPushButton(QStringLiteral("Clear"), &window))->setGeometry(368, 176, 81, 25);
    auto* text = new QPlainTextEdit(&window);
    text->setGeometry(8, 216, 441, 121);
    text->setPlainText(QStringLiteral("Text"));
    window.show();
    return QApplication::exec();
}
