// The desktop host: login, then the MDI main window over the manufacturing module loaded from
// libPK_Manufacture.so. `--open NAME` opens a screen or runs a command at start; `--screenshot FILE`
// renders the window (or the command's modal screen) to a PNG and exits.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include <cstdlib>
#include <iostream>

#include "DesktopSession.h"
#include "GuardedApplication.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "ModuleLibrary.h"
#include "host/Dialogs.h"

namespace {

QString ModulePath(const QString& given)
{
    if (!given.isEmpty()) return given;
    if (QString env = qEnvironmentVariable("MFG_MODULE"); !env.isEmpty()) return env;
    QString beside = QCoreApplication::applicationDirPath() + "/libPK_Manufacture.so";
    if (QFileInfo::exists(beside)) return beside;
    return MFG_MODULE_PATH;
}

// Chinese captions need a CJK face; the desktop's default may not have one.
void UseCjkFont(QApplication& application)
{
    for (const char* family : {"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Micro Hei"})
        if (QFontDatabase::families().contains(family)) {
            QFont font(family);
            font.setPointSize(10);
            application.setFont(font);
            return;
        }
}

std::unique_ptr<mfg::DesktopSession> SessionWithoutLogin(const std::string& url, const std::string& user, int shop)
{
    auto session = std::make_unique<mfg::DesktopSession>(url);
    auto account = user.empty() ? session->Users().GetUser(1) : session->Users().FindUser(user);
    // Without the login dialog an operator proves the password as on the console, in a branch the
    // dialog would offer.
    if (!account || account->closed || account->hasPassword) {
        const char* password = std::getenv("MFG_PASSWORD");
        auto proven = session->Users().Login(account ? account->code : user, password ? password : "");
        if (!proven) throw std::invalid_argument(proven.message);
        account = proven.user;
    }
    session->Start(*account, session->Users().ShopToWorkIn(*account, shop));
    return session;
}

int SavePicture(QApplication& application, QWidget& shown, const QString& file)
{
    for (int i = 0; i < 5; ++i) application.processEvents();
    if (!shown.grab().save(file, "PNG")) {
        std::cerr << "无法写入 " << file.toStdString() << '\n';
        return 1;
    }
    return 0;
}

// The pictures are taken at 1366×768, the smallest desktop the screens are laid out for.
int Screenshot(QApplication& application, mfg::MainWindow& window, const QString& file, const QString& open)
{
    window.resize(1366, 768);
    window.show();
    if (open.isEmpty()) return SavePicture(application, window, file);
    // A command runs its screen modally: the picture is taken from inside its run, then it closes.
    int result = -1;
    QTimer::singleShot(0, &window, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            result = SavePicture(application, *dialog, file);
            dialog->close();
        }
    });
    window.Open(open.toStdString());
    if (result >= 0) return result;
    if (QMdiSubWindow* screen = window.MdiArea().activeSubWindow())
        screen->move(0, 0);
    else if (!window.MdiArea().subWindowList().isEmpty())
        window.MdiArea().subWindowList().front()->move(0, 0);
    else
        std::cerr << "没有打开界面 " << open.toStdString() << " (未注册或没有权限)\n";
    return SavePicture(application, window, file);
}

}  // namespace

int main(int argc, char** argv)
{
    bool screenshot = false;
    for (int i = 1; i < argc; ++i) screenshot = screenshot || std::string_view(argv[i]) == "--screenshot";
    // A screenshot needs no screen: without a display it renders offscreen.
    if (screenshot && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    mfg::GuardedApplication application(argc, argv);
    QCoreApplication::setOrganizationName("mfg");
    QCoreApplication::setApplicationName("mfg-desktop");
    QCoreApplication::setApplicationVersion(MFG_VERSION);
    UseCjkFont(application);
    QApplication::setStyle("Fusion");

    QCommandLineParser parser;
    parser.setApplicationDescription("生产制造模块 — 桌面");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption dbOption("db", "数据库 (SQLite 文件路径)", "URL");
    QCommandLineOption userOption("user", "截图时的操作员 (编码或姓名), 默认管理员", "CODE");
    QCommandLineOption shopOption("shop", "截图时的分支机构", "N");
    QCommandLineOption todayOption("today", "以此日期为今天 (yyyy-mm-dd)", "DATE");
    QCommandLineOption moduleOption("module", "生产制造模块的库文件", "FILE");
    QCommandLineOption screenshotOption("screenshot", "把主窗口存为 PNG 后退出", "FILE");
    QCommandLineOption openOption("open", "启动后打开的界面 (注册名如 WorkCalendarForm, 或命令如 RUNMRP)", "NAME");
    parser.addOptions({dbOption, userOption, shopOption, todayOption, moduleOption, screenshotOption, openOption});
    parser.process(application);

    QString database = parser.value(dbOption);
    if (database.isEmpty()) database = qEnvironmentVariable("MFG_DB");
    std::unique_ptr<mfg::DesktopSession> session;
    try {
        if (parser.isSet(screenshotOption)) {
            session = SessionWithoutLogin(database.isEmpty() ? "mfg.db" : database.toStdString(),
                                          parser.value(userOption).toStdString(), parser.value(shopOption).toInt());
        } else {
            mfg::LoginDialog login(database);
            if (login.exec() != QDialog::Accepted) return 0;
            session = login.TakeSession();
        }
        if (parser.isSet(todayOption)) {
            auto today = mfg::DateTime::Parse(parser.value(todayOption).toStdString());
            if (!today) throw std::invalid_argument("--today 的日期无效: " + parser.value(todayOption).toStdString());
            session->GetHost().SetToday(*today);
        }
    } catch (const std::exception& error) {
        std::cerr << "错误: " << error.what() << '\n';
        return 1;
    }

    mfg::ModuleLibrary module;
    if (!module.Load(ModulePath(parser.value(moduleOption))))
        mfg::ShowError("无法载入生产制造模块: " + module.ErrorText().toStdString());
    mfg::MainWindow window(*session);
    if (parser.isSet(screenshotOption))
        return Screenshot(application, window, parser.value(screenshotOption), parser.value(openOption));
    window.showMaximized();
    if (parser.isSet(openOption))
        QTimer::singleShot(0, &window, [&window, open = parser.value(openOption).toStdString()] { window.Open(open); });
    return application.exec();
}
