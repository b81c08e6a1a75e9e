// The yardstick for start-up: a Qt Widgets window with the same controls as Pelmora's, with
// the same captions, texts, fonts, size and background colour, built by hand with no table,
// no form model, no style of its own and no logic at all.
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "view/control_table.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(454, 342);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 255));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    QFont font(QStringLiteral("Times New Roman"), 12);
    window.setFont(font);
    QFont bold = font;
    bold.setBold(true);

    (new QLabel(QStringLiteral("Геометрия - изчисляване на прав кръгов конус"), &window))
        ->setGeometry(64, 0, 337, 25);
    const char* const columns[] = {"R", "L", "So", "Sp"};
    for (int c = 0; c < 4; ++c) {
        (new QLabel(QString::fromLatin1(columns[c]), &window))
            ->setGeometry(104 + 64 * c, 32, 65, 25);
    }
    auto* group = new QButtonGroup(&window);
    for (int r = 0; r < 6; ++r) {
        auto* option = new QRadioButton(QStringLiteral("Вариант %1").arg(r + 1), &window);
        option->setGeometry(8, 56 + 24 * r, 97, 25);
        group->addButton(option, r);
        for (int c = 0; c < 4; ++c) {
            auto* edit = new QLineEdit(&window);
            edit->setGeometry(104 + 64 * c, 56 + 24 * r, 65, 27);
            if ((r + c) % 2 == 0) {  // twelve of them bold and disabled, as the computed fields
                edit->setFont(bold);
                edit->setEnabled(false);
            }
        }
    }
    (new QPushButton(QStringLiteral("Изчисли"), &window))->setGeometry(368, 56, 81, 25);
    (new QPushButton(QStringLiteral("Изчисти"), &window))->setGeometry(368, 176, 81, 25);
    auto* text = new QPlainTextEdit(&window);
    text->setGeometry(8, 216, 441, 121);
    text->setPlainText(
        QString::fromUtf8(pelmora::view::kTaskStatement.data(),
                          static_cast<qsizetype>(pelmora::view::kTaskStatement.size())));
    window.show();
    return QApplication::exec();
}
