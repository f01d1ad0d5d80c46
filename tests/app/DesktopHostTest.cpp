// The desktop host with the real module file: the menus come from what the module registered,
// commands go through Manufacture_Call, opened screens become MDI children that receive the
// module's message and take their frame with them when they close, and unloading withdraws
// every registration of the module.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <unistd.h>

#include <filesystem>

#include "DesktopSession.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "ModuleLibrary.h"
#include "ScreenHost.h"
#include "TestDatabase.h"
#include "host/Registry.h"
#include "host/ScriptedDialogs.h"

namespace mfg {
namespace {

// A host-side screen, so the test does not depend on which module screens are built.
class SampleScreen : public Screen {
public:
    explicit SampleScreen(std::vector<unsigned>& messages) : widget(std::make_unique<QWidget>()), messages(messages)
    {
        widget->setObjectName("TSampleForm");
        widget->setWindowTitle("样例");
    }
    void Show() override
    {
        QWidget* shown = widget.release();
        shown->setAttribute(Qt::WA_DeleteOnClose);
        PlaceScreen(shown);
    }
    int ShowModal() override { return 2; }
    void Perform(unsigned message, std::intptr_t, std::intptr_t) override { messages.push_back(message); }

private:
    std::unique_ptr<QWidget> widget;
    std::vector<unsigned>& messages;
};

class DesktopHostTest : public ::testing::Test {
protected:
    DesktopHostTest()
        : session(test::CopyOfDemoDatabase(
              "desktop-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
    {
        dialogs = &session.GetHost().SetDialogs(std::make_unique<ScriptedDialogs>());
        session.GetHost().SetToday(test::TestToday());
        session.Start(*session.Users().GetUser(1), 1);
        HostRegistry().Clear();
        HostRegistry().RegisterPrivilegedForm("SampleForm", 2046,
                                              [this] { return std::make_unique<SampleScreen>(messages); });
    }
    ~DesktopHostTest() override { HostRegistry().Clear(); }

    DesktopSession session;
    ScriptedDialogs* dialogs = nullptr;
    std::vector<unsigned> messages;
};

QStringList ActionNames(QMenu& menu)
{
    QStringList names;
    for (QAction* action : menu.actions())
        if (!action->isSeparator()) names << action->objectName() + "=" + action->text();
    return names;
}

TEST_F(DesktopHostTest, MenuComesFromTheRegistriesOnceTheModuleIsLoaded)
{
    ModuleLibrary module;
    ASSERT_TRUE(module.Load(MFG_MODULE_PATH)) << module.ErrorText().toStdString();
    MainWindow window(session);
    auto& menu = *window.findChild<QMenu*>("mnuManufacture");
    EXPECT_EQ(menu.title(), "生产管理(&M)");
    // The screens that register themselves come first, then the module's commands.
    EXPECT_EQ(ActionNames(menu).join(", ").toStdString(),
              "SampleForm=SampleForm, WorkCalendarForm=工厂日历, GoodsBomForm=产品结构清单, "
              "GoodsUsedBomForm=产品结构逆向展开, GoodsPriceCalcForm=产品成本预算, WideCapacityForm=粗能力计算, "
              "RUNMRP=MRP II 运算, SORDERTOMPS=销售订单直接转入主生产计划");
    EXPECT_EQ(window.windowTitle(), "生产制造管理 - 自行车厂");
    EXPECT_EQ(window.findChild<QLabel*>("lblUser")->text(), "操作员: 管理员");
    EXPECT_EQ(window.findChild<QLabel*>("lblShop")->text(), "分支机构: 总厂");
    EXPECT_EQ(window.findChild<QLabel*>("lblServerDate")->text(),
              "服务器日期: " + QString::fromStdString(test::TestToday().Format("yyyy-mm-dd")));

    module.Unload();
    window.RebuildMenus();
    EXPECT_EQ(ActionNames(menu).join(", ").toStdString(), "SampleForm=SampleForm");
    EXPECT_TRUE(HostRegistry().FunctionNames().empty());
}

TEST_F(DesktopHostTest, ShowScreenThroughTheModuleOpensAnMdiChildThatClosesWithItsScreen)
{
    ModuleLibrary module;
    ASSERT_TRUE(module.Load(MFG_MODULE_PATH));
    MainWindow window(session);
    window.findChild<QAction*>("SampleForm")->trigger();
    ASSERT_EQ(window.MdiArea().subWindowList().size(), 1);
    EXPECT_EQ(messages, std::vector<unsigned>{0x0B84});
    QPointer<QMdiSubWindow> frame = window.MdiArea().subWindowList().front();
    EXPECT_EQ(frame->widget()->objectName(), "TSampleForm");
    frame->widget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(!frame || !frame->isVisible());
    EXPECT_TRUE(window.MdiArea().subWindowList().isEmpty());
    // RUNMRP opens the workbench modally and returns once it is closed.
    QTimer::singleShot(0, [] {
        for (QWidget* screen : QApplication::topLevelWidgets())
            if (screen->objectName() == "TMRPForm" && screen->isVisible()) screen->close();
    });
    EXPECT_EQ(module.Call("RUNMRP", ""), 0);
    EXPECT_TRUE(dialogs->Messages().empty());
}

TEST_F(DesktopHostTest, OpenTakesTheModulesCommandsAsWellAsItsScreens)
{
    ModuleLibrary module;
    ASSERT_TRUE(module.Load(MFG_MODULE_PATH));
    MainWindow window(session);
    std::vector<std::string> shown;
    auto closeWhenShown = [&shown](const char* name) {
        QTimer::singleShot(0, [&shown, name] {
            for (QWidget* screen : QApplication::topLevelWidgets())
                if (screen->objectName() == name && screen->isVisible()) {
                    shown.emplace_back(name);
                    screen->close();
                }
        });
    };
    closeWhenShown("TMRPForm");
    window.Open("RUNMRP");
    closeWhenShown("TSorderToMPSForm");
    window.Open("sordertomps");
    EXPECT_EQ(shown, (std::vector<std::string>{"TMRPForm", "TSorderToMPSForm"}));
    window.Open("WorkCalendarForm");
    ASSERT_EQ(window.MdiArea().subWindowList().size(), 1);
    EXPECT_EQ(window.MdiArea().subWindowList().front()->widget()->objectName(), "TWorkCalendarForm");
    EXPECT_TRUE(dialogs->Messages().empty());
}

TEST_F(DesktopHostTest, EveryOperatorKeepsTheSettingsInTheFolderTheConsoleUses)
{
    // The console's host: its folder is the OS user's own, whoever the operator.
    Host console(test::OpenTestDatabase(false));
    EXPECT_EQ(session.GetHost().TempDirectory(), console.TempDirectory());
    DesktopSession other(test::CopyOfDemoDatabase("desktop-other-operator"));
    other.Start(*other.Users().GetUser(2), 1);
    EXPECT_EQ(other.GetHost().TempDirectory(), console.TempDirectory());
}

TEST_F(DesktopHostTest, AFileThatIsNoModuleIsRefusedWithItsReason)
{
    ModuleLibrary module;
    EXPECT_FALSE(module.Load("/nonexistent/libPK_Manufacture.so"));
    EXPECT_FALSE(module.ErrorText().isEmpty());
    EXPECT_FALSE(module.Loaded());
    EXPECT_EQ(module.Call("RUNMRP", ""), 0);
}

class LoginDialogTest : public ::testing::Test {
protected:
    LoginDialogTest()
        : database(test::CopyOfDemoDatabase(
              "login-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
    {
        QStandardPaths::setTestModeEnabled(true);
    }
    ~LoginDialogTest() override { HostRegistry().Clear(); }

    void Type(LoginDialog& dialog, const char* user, const char* password)
    {
        dialog.findChild<QLineEdit*>("edtUser")->setText(QString::fromUtf8(user));
        dialog.findChild<QLineEdit*>("edtPassword")->setText(QString::fromUtf8(password));
    }
    QString Message(LoginDialog& dialog) { return dialog.findChild<QLabel*>("lblMessage")->text(); }

    std::string database;
};

// Answers the coming message box with the button of that caption.
void AnswerBox(const QString& caption)
{
    QTimer::singleShot(0, [caption] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == caption) button->click();
    });
}

TEST_F(LoginDialogTest, OperatorWithoutPasswordSetsOneAtFirstLoginAndNeedsItAfter)
{
    {
        LoginDialog dialog(QString::fromStdString(database));
        Type(dialog, "jhy", "Plan#2026");
        AnswerBox("是");
        dialog.btnOkClick();
        ASSERT_EQ(dialog.result(), QDialog::Accepted) << Message(dialog).toStdString();
        auto session = dialog.TakeSession();
        EXPECT_EQ(session->GetHost().UserName(), "计划员");
        EXPECT_EQ(session->GetHost().ShopID(), 1);
    }
    LoginDialog again(QString::fromStdString(database));
    EXPECT_EQ(again.findChild<QLineEdit*>("edtUser")->text(), "jhy");  // remembered
    Type(again, "jhy", "wrong");
    again.btnOkClick();
    EXPECT_NE(again.result(), QDialog::Accepted);
    EXPECT_FALSE(Message(again).isEmpty());
}

TEST_F(LoginDialogTest, AMistypedDatabasePathIsRefusedAndNoFileIsMade)
{
    const auto typo = std::filesystem::path(::testing::TempDir()) / ("typo-" + std::to_string(::getpid()) + ".db");
    LoginDialog dialog(QString::fromStdString(typo.string()));
    Type(dialog, "admin", "Admin#1");
    dialog.btnOkClick();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_NE(Message(dialog).toStdString().find(typo.string()), std::string::npos) << Message(dialog).toStdString();
    EXPECT_FALSE(std::filesystem::exists(typo));
}

TEST_F(LoginDialogTest, AdministratorChoosesTheBranchBeforeLoggingIn)
{
    LoginDialog dialog(QString::fromStdString(database));
    Type(dialog, "admin", "Admin#1");
    AnswerBox("是");
    dialog.btnOkClick();
    auto* shops = dialog.findChild<QComboBox*>("cmbShop");
    ASSERT_EQ(shops->count(), 2);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    shops->setCurrentIndex(shops->findText("二分厂"));
    dialog.btnOkClick();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.TakeSession()->GetHost().ShopID(), 2);
}

}  // namespace
}  // namespace mfg
