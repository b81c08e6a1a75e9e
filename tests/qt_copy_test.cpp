#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

#include "tests/window_fixture.h"

namespace pelmora::qt::testing {
namespace {

class CopyTest : public WindowTest {
protected:
    CopyTest() {
        typeInto(0, QStringLiteral("30"));
        typeInto(1, QStringLiteral("50"));
        click(command(0));
        QGuiApplication::clipboard()->clear();
    }

    // Opens field `n`'s context menu with a right click's event and gives its entries; runs
    // the last entry when `runLast`, and closes it.
    QStringList menuOf(int n, bool runLast) {
        QStringList entries;
        const auto inspect = [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (const QAction* action : menu->actions()) {
                if (!action->isSeparator()) entries << action->text();
            }
            if (runLast) menu->actions().back()->trigger();
            menu->close();
        };
        // A computed field's menu is modal; a typing field's opens and returns at once.
        QTimer::singleShot(0, &window, inspect);
        const QPoint at = field(n)->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, field(n)->mapToGlobal(at));
        QApplication::sendEvent(field(n), &event);
        if (entries.isEmpty()) inspect();
        QApplication::processEvents();
        return entries;
    }
};

TEST_F(CopyTest, ComputedFieldMenuHasOnlyCopyAndCopiesWithoutGrouping) {
    ASSERT_EQ(field(2)->text(), QStringLiteral("4,712.389"));
    EXPECT_EQ(menuOf(2, true), QStringList{QStringLiteral("Копирай")});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("4712.389"));
}

TEST_F(CopyTest, TypingFieldMenuEndsWithCopy) {
    const QStringList entries = menuOf(0, true);
    ASSERT_GT(entries.size(), 1) << entries.join(' ').toStdString();
    EXPECT_EQ(entries.back(), QStringLiteral("Копирай"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("30.000"));
}

TEST_F(CopyTest, CtrlShiftCCopiesTheRow) {
    QTest::keyClick(field(0), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("R = 30.000\nL = 50.000\nSo = 4712.389\nSp = 7539.822\n"));
}

}  // namespace
}  // namespace pelmora::qt::testing
