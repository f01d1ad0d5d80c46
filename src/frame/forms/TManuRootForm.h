#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ModuleScreens.h"
#include "data/DataSet.h"
#include "db/Connection.h"
#include "host/Registry.h"

class QEventLoop;

namespace mfg {

class LookupCombo;
class ReportDesign;

//! ShowModal results.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

//! The window message the module sends to a screen it has just opened (0x0400 + 1924).
inline constexpr unsigned ScreenOpenedMessage = 0x0B84;

class TManuRootForm;

//! What the goods picker hands back: the goods and the quantity typed in its add mode (0: none).
struct PickedGoods {
    int goodsID = 0;
    double quantity = 0;
};

//! Opens the manufactured-goods picker for a screen with a filter text and answers the picked
//! goods, or none when the user cancels; the screen's AddModeTarget switches on the add mode. The
//! screen that offers the picker sets it.
using GoodsPicker = std::function<std::optional<PickedGoods>(TManuRootForm& caller, const std::string& filter)>;

//! The base of every screen of the module. It keeps the screen's privilege number, prepares the
//! look-up combos of the screen (their action handler and column-name lists), resets the input
//! method when the screen shows, closes the screen on Escape (asking first when the screen holds
//! work that closing would lose), runs it modally when asked, and
//! delivers host window messages as ScreenMessage calls.
class TManuRootForm : public QWidget {
public:
    //! `formName` is the screen's class name ("TGoodsBomForm"): its objectName and the name its
    //! privilege number is found by. Opens the host caches the screens look goods and units up in.
    explicit TManuRootForm(std::string_view formName, QWidget* parent = nullptr);
    ~TManuRootForm() override;

    //! True while a print or preview runs on this screen.
    bool Printing() const { return printing; }
    //! The privilege number registered for the screen's class; 0 when none is.
    int PrivilegeID() const { return privilegeID; }
    //! StartupDB.DBStartup: the connection the screen's datasets open on.
    Connection& DBStartup() const;
    //! Opens a dataset on the host connection.
    void OpenDataSet(DataSet& dataSet) const;

    //! Prints (or previews) the detail dataset under the master with the template chosen in the
    //! style combo, whose tag is the standard template id; a second request while one runs is
    //! ignored, errors are shown, and the temporary template file is removed afterwards.
    virtual void PrintReport(LookupCombo& styleCombo, DataSet* master, DataSet* detail, bool printDirectly);
    //! Loads the chosen template, or after asking the standard one; false when none was loaded.
    virtual bool SelectPrintStyle(int standardID, LookupCombo& styleCombo, DataSet* master, DataSet* detail,
                                  ReportDesign& report);
    //! Sets "M.M" + field of every master field, the company data and "OpName".
    virtual void SetReportVariables(int standardID, DataSet* master, DataSet* detail, ReportDesign& report);
    //! "样式设计": opens the style designer on the template chosen in the style combo (the standard
    //! one when none is), previewing over the screen's master and detail; after a save the combo
    //! lists the templates anew and shows the one written.
    void DesignPrintStyle(LookupCombo& styleCombo, DataSet* master, DataSet* detail);
    //! Writes template `templateID` of L_PRINTTMPLT to the temporary folder and attaches it;
    //! false when the template has no data.
    bool LoadPrintTemplate(ReportDesign& report, int templateID);

    //! Fills the goods attributes (UnitName when calculated, goodsname, goodscode, barcode, Specs,
    //! storecode, storename) that the dataset has, for the current row's GoodsID and StoreID.
    virtual void FillGoodsFields(DataSet& dataSet);
    //! A look-up combo's button: "查找" on a goods combo (tag 4) opens the goods picker, anything
    //! else goes to the host's ComboBoxUtilitys.
    virtual void LookupComboAction(LookupCombo& combo, const std::string& action);
    //! Gives every look-up combo of the screen its action handler and column-name list. Runs once
    //! before the screen first shows; screens that add combos later call it again.
    void PrepareLookupCombos();

    //! Runs the screen modally and returns its modal result (mrCancel when simply closed).
    int ShowModal();
    int ModalResult() const { return modalResult; }
    //! Sets the result; a result other than mrNone closes the screen, as a modal dialog does.
    void SetModalResult(int result);

    //! Sets the goods picker that LookupComboAction opens (empty: none yet).
    static void SetGoodsPicker(GoodsPicker picker);
    //! The rows the goods picker's add mode ("添加" with "数量") puts goods into when this screen
    //! opens it; none: the picker only chooses.
    virtual DataSet* AddModeTarget() { return nullptr; }

    //! The size the screen opens at unless its user left it at another one; call it once in the
    //! constructor with a size that shows every input and key column on a 1366×768 desktop.
    void SetDefaultSize(int width, int height);
    //! The remembered size, else the default: a frame in the main window opens at it.
    QSize sizeHint() const override;
    //! The settings section of this screen and operator, beside "MRParam" in "System.ini".
    std::string LayoutSection() const;

protected:
    //! Work that closing the screen now would lose.
    enum class UnsavedWork {
        None,
        Savable,    //!< edits the screen can save: "是否保存修改?" with 是 (save, then close), 否, 取消
        Unsavable,  //!< results nothing keeps (a computed run): the screen closes only after 是
    };
    //! The screen is about to show (the first show and each after a hide).
    virtual void FormShow();
    //! The screen closes; a screen may refuse by returning false.
    virtual bool FormClose() { return true; }
    //! What closing now would lose; asked about before Escape, a cancel button or the close button
    //! takes it away.
    virtual UnsavedWork PendingWork() { return UnsavedWork::None; }
    //! The question asked before pending work is lost.
    virtual std::string PendingWorkQuestion() const { return "是否保存修改?"; }
    //! Saves the pending work for the answer 是; false (the user was told why) keeps the screen open.
    virtual bool SaveWork() { return true; }
    //! The extra condition (T-SQL) of the picker that "查找" on `combo` opens; blank for none.
    virtual std::string PickerCondition(LookupCombo&) const { return " "; }
    //! The quantity the last "查找" brought back from the picker (0: none was typed).
    double PickedQuantity() const { return pickedQuantity; }
    //! A host window message sent with Screen::Perform.
    virtual void ScreenMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam) {}

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void SetPrinting(bool value) { printing = value; }

private:
    friend class FormScreen;

    bool printing = false;
    int privilegeID = 0;
    void RestoreColumnWidths();
    void SaveLayout() const;
    //! Asks about pending work; false when the screen stays open.
    bool MayDropPendingWork();

    bool combosPrepared = false;
    bool layoutRestored = false;
    double pickedQuantity = 0;
    QSize defaultSize;
    QSize rememberedSize;
    int modalResult = mrNone;
    QEventLoop* modalLoop = nullptr;
    bool escapeTaken = false;  // the key press of an Escape the shortcut stage already acted on
};

//! A module screen as the host's registry hands it out: Show places it non-modally (an MDI child
//! in the desktop host) and lets it free itself on close; ShowModal runs it and frees it after;
//! Perform delivers a window message. A screen never shown is freed with the handle.
class FormScreen : public Screen {
public:
    explicit FormScreen(std::unique_ptr<TManuRootForm> form);
    ~FormScreen() override;

    void Show() override;
    int ShowModal() override;
    void Perform(unsigned message, std::intptr_t wParam, std::intptr_t lParam) override;
    //! The screen while the handle holds it; null once shown or run.
    TManuRootForm* Form() const { return form.get(); }

    //! A factory of screens of class T (constructible from a parent widget).
    template <typename T>
    static ScreenFactory Factory()
    {
        return [] { return std::make_unique<FormScreen>(std::make_unique<T>(nullptr)); };
    }

private:
    std::unique_ptr<TManuRootForm> form;
};

//! Adds a screen class to ModuleScreens under its class name when the library holding it loads.
struct ScreenRegistration {
    ScreenRegistration(const char* className, ScreenFactory factory) { AddModuleScreen(className, std::move(factory)); }
};

}  // namespace mfg

//! Registers a screen class of the module under its class name; write it once in the screen's .cpp.
#define MFG_REGISTER_SCREEN(FormClass) \
    static const ::mfg::ScreenRegistration FormClass##Registration(#FormClass, ::mfg::FormScreen::Factory<FormClass>())
