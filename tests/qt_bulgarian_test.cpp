#include <memory>

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

#include <gtest/gtest.h>

namespace pelmora::qt {
namespace {

// The test program loads Qt's Bulgarian as the program does: a field's own context menu and
// the failure box's button speak it, with their shortcuts.
TEST(QtBulgarian, ContextMenuAndBoxButtonAreBulgarian) {
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) texts << action->text();
    }
    EXPECT_EQ(texts, QStringList({"&Отмяна\tCtrl+Z", "По&втаряне\tCtrl+Y", "&Изрязване\tCtrl+X",
                                  "&Копиране\tCtrl+C", "&Поставяне\tCtrl+V", "Изтриване",
                                  "Избиране на всичко\tCtrl+A"}))
        << texts.join(' ').toStdString();
    const QMessageBox box(QMessageBox::Warning, "Pelmora", "", QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("Добре"));
}

}  // namespace
}  // namespace pelmora::qt
