#pragma once

#include <QMainWindow>

#include <string>

class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace mfg {

class DesktopSession;

//! The menu caption of a registered screen or command ("WorkCalendarForm" gives "工厂日历");
//! the name itself for one the host does not know.
std::string MenuCaption(const std::string& name);

//! The desktop's MDI main window: the "生产管理" menu and tool bar built from the screen and
//! function registries, the "窗口" menu (cascade, tile, the open screens), and a status bar with
//! operator, branch, database and server date. Non-modal screens become its MDI children.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(DesktopSession& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    //! Builds the registry menus again (after a module was loaded).
    void RebuildMenus();
    QMdiArea& MdiArea() { return *mdiArea; }
    //! Runs a registered command; SHOWMNFFORM takes the screen's registry name as argument.
    void RunCommand(const std::string& name, const std::string& argument = {});
    //! Opens what `name` names: a command of the module ("RUNMRP", "SORDERTOMPS") runs, any other
    //! name is a registered screen ("WorkCalendarForm") shown through SHOWMNFFORM.
    void Open(const std::string& name);

private:
    void RebuildWindowMenu();
    void ShowStatus();

    DesktopSession& session;
    QMdiArea* mdiArea;
    QMenu* mnuManufacture;
    QMenu* mnuWindow;
    QToolBar* toolBar;
    QLabel* lblUser;
    QLabel* lblShop;
    QLabel* lblDatabase;
    QLabel* lblServerDate;
};

}  // namespace mfg
