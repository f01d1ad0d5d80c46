#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>

#include <array>

#include "DesktopSession.h"
#include "QtDialogs.h"
#include "ScreenHost.h"
#include "host/Dialogs.h"
#include "host/Registry.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

struct Caption {
    const char* name;
    const char* caption;
};

constexpr std::array<Caption, 7> kCaptions{{
    {"WorkCalendarForm", "工厂日历"},
    {"GoodsBomForm", "产品结构清单"},
    {"GoodsUsedBomForm", "产品结构逆向展开"},
    {"GoodsPriceCalcForm", "产品成本预算"},
    {"WideCapacityForm", "粗能力计算"},
    {"RUNMRP", "MRP II 运算"},
    {"SORDERTOMPS", "销售订单直接转入主生产计划"},
}};

constexpr const char* kShowScreen = "SHOWMNFFORM";

}  // namespace

std::string MenuCaption(const std::string& name)
{
    for (const auto& entry : kCaptions)
        if (EqualsNoCase(entry.name, name)) return entry.caption;
    return name;
}

MainWindow::MainWindow(DesktopSession& desktopSession, QWidget* parent)
    : QMainWindow(parent),
      session(desktopSession),
      mdiArea(new QMdiArea(this)),
      lblUser(new QLabel(this)),
      lblShop(new QLabel(this)),
      lblDatabase(new QLabel(this)),
      lblServerDate(new QLabel(this))
{
    setObjectName("MainWindow");
    std::string company = session.GetHost().LookupSysParam("CompanyName");
    setWindowTitle(company.empty() ? QString("生产制造管理") : "生产制造管理 - " + ToQString(company));
    mdiArea->setObjectName("mdiArea");
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setBackground(QColor(0x3a, 0x5f, 0x8a));
    setCentralWidget(mdiArea);

    QMenu* mnuSystem = menuBar()->addMenu("系统(&S)");
    mnuSystem->setObjectName("mnuSystem");
    mnuSystem->addAction("退出(&X)", this, &QWidget::close);
    mnuManufacture = menuBar()->addMenu("生产管理(&M)");
    mnuManufacture->setObjectName("mnuManufacture");
    mnuWindow = menuBar()->addMenu("窗口(&W)");
    mnuWindow->setObjectName("mnuWindow");
    connect(mnuWindow, &QMenu::aboutToShow, this, &MainWindow::RebuildWindowMenu);
    QMenu* mnuHelp = menuBar()->addMenu("帮助(&H)");
    mnuHelp->setObjectName("mnuHelp");
    mnuHelp->addAction("关于(&A)...", this, [this] {
        QMessageBox::about(this, "关于",
                           "<b>生产制造管理</b> " + QCoreApplication::applicationVersion() +
                               "<p>物料清单、工厂日历、主生产计划、MRP 运算、成本预算与粗能力计算。</p>"
                               "<p>GPL-3.0-or-later</p>");
    });
    toolBar = addToolBar("生产管理");
    toolBar->setObjectName("toolBar");
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolBar->setMovable(false);

    for (QLabel* label : {lblUser, lblShop, lblDatabase, lblServerDate}) {
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        label->setContentsMargins(6, 0, 6, 0);
        statusBar()->addPermanentWidget(label);
    }
    lblUser->setObjectName("lblUser");
    lblShop->setObjectName("lblShop");
    lblDatabase->setObjectName("lblDatabase");
    lblServerDate->setObjectName("lblServerDate");
    ShowStatus();

    SetScreenPlacement([this](QWidget* screen) {
        QMdiSubWindow* window = mdiArea->addSubWindow(screen);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // A screen that closes itself (Escape, its exit button) takes its frame with it.
        connect(screen, &QObject::destroyed, window, &QWidget::close);
        window->show();
        screen->show();
    });
    RebuildMenus();
}

MainWindow::~MainWindow()
{
    SetScreenPlacement({});
    mdiArea->closeAllSubWindows();
}

void MainWindow::RebuildMenus()
{
    mnuManufacture->clear();
    toolBar->clear();
    auto add = [this](const std::string& caption, const std::string& objectName, std::function<void()> run) {
        QAction* action = mnuManufacture->addAction(ToQString(caption));
        action->setObjectName(ToQString(objectName));
        connect(action, &QAction::triggered, this, std::move(run));
        toolBar->addAction(action);
    };
    for (const auto& entry : HostRegistry().Forms())
        add(MenuCaption(entry.name), entry.name, [this, name = entry.name] { RunCommand(kShowScreen, name); });
    bool separated = false;
    for (const auto& name : HostRegistry().FunctionNames()) {
        if (EqualsNoCase(name, kShowScreen)) continue;
        if (!separated && !mnuManufacture->isEmpty()) {
            mnuManufacture->addSeparator();
            toolBar->addSeparator();
        }
        separated = true;
        add(MenuCaption(name), name, [this, name] { RunCommand(name); });
    }
    if (mnuManufacture->isEmpty()) mnuManufacture->addAction("(未载入生产制造模块)")->setEnabled(false);
}

void MainWindow::RunCommand(const std::string& name, const std::string& argument)
{
    try {
        CallFunction(name, argument);
    } catch (const std::exception& error) {
        ShowError(error);
    }
    ShowStatus();
}

void MainWindow::Open(const std::string& name)
{
    for (const auto& function : HostRegistry().FunctionNames())
        if (EqualsNoCase(function, name) && !EqualsNoCase(function, kShowScreen)) {
            RunCommand(function);
            return;
        }
    RunCommand(kShowScreen, name);
}

void MainWindow::RebuildWindowMenu()
{
    mnuWindow->clear();
    mnuWindow->addAction("层叠(&C)", mdiArea, &QMdiArea::cascadeSubWindows);
    mnuWindow->addAction("平铺(&T)", mdiArea, &QMdiArea::tileSubWindows);
    mnuWindow->addAction("全部关闭(&A)", mdiArea, &QMdiArea::closeAllSubWindows);
    auto windows = mdiArea->subWindowList();
    if (windows.isEmpty()) return;
    mnuWindow->addSeparator();
    int number = 1;
    for (QMdiSubWindow* window : windows) {
        QAction* action = mnuWindow->addAction(QString("&%1 %2").arg(number++).arg(window->windowTitle()));
        action->setCheckable(true);
        action->setChecked(window == mdiArea->activeSubWindow());
        connect(action, &QAction::triggered, window, [this, window] { mdiArea->setActiveSubWindow(window); });
    }
}

void MainWindow::ShowStatus()
{
    Host& host = session.GetHost();
    lblUser->setText("操作员: " + ToQString(host.UserName()));
    lblShop->setText("分支机构: " + ToQString(session.ShopName(host.ShopID())));
    lblDatabase->setText("数据库: " + ToQString(UrlWithoutPassword(session.Url())));
    lblServerDate->setText("服务器日期: " + ToQString(host.GetSystemTime().Format("yyyy-mm-dd")));
}

}  // namespace mfg
