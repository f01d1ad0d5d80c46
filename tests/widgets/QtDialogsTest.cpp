// The desktop's boxes must answer with the numbers the module compares against, whatever the
// button is called on screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "QtDialogs.h"
#include "ScreenTest.h"

namespace mfg {
namespace {

// Clicks the button with that caption in the box that is about to run, and keeps its texts.
void ClickWhenShown(const QString& caption, QStringList& seen)
{
    QTimer::singleShot(0, [caption, &seen] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible()) continue;
            seen << box->windowTitle() << box->text();
            for (QAbstractButton* button : box->buttons()) {
                seen << button->text();
                if (button->text() == caption) button->click();
            }
        }
    });
}

TEST(QtDialogsTest, ButtonsReadInChineseAndAnswerSixSevenTwo)
{
    QtDialogs dialogs;
    QStringList seen;
    ClickWhenShown("否", seen);
    EXPECT_EQ(dialogs.ShowYesNoQuestion("继续吗?"), AnswerNo);
    EXPECT_EQ(seen.mid(0, 2), (QStringList{"询问", "继续吗?"}));
    EXPECT_TRUE(seen.contains("是") && seen.contains("否"));
    seen.clear();
    ClickWhenShown("取消", seen);
    EXPECT_EQ(dialogs.ShowYesNoCancelQuestion("保存吗?"), AnswerCancel);
    QStringList buttons = seen.mid(2);
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"取消", "否", "是"}));
    seen.clear();
    ClickWhenShown("是", seen);
    EXPECT_EQ(dialogs.ShowMessageBox("全部设为公休日?", "提示", MessageButtons::YesNo, MessageIcon::Question), AnswerYes);
    EXPECT_EQ(seen.front(), "提示");
    seen.clear();
    ClickWhenShown("确定", seen);
    dialogs.ShowError("出错了");
    EXPECT_EQ(seen, (QStringList{"错误", "出错了", "确定"}));
}

}  // namespace
}  // namespace mfg
