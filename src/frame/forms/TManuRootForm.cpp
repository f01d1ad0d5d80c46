#include "TManuRootForm.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>

#include <filesystem>
#include <utility>

#include "AccessibleNames.h"
#include "DbGrid.h"
#include "LookupCombo.h"
#include "ReportDesign.h"
#include "ScreenHost.h"
#include "TReportStyleForm.h"
#include "host/Dialogs.h"
#include "host/FileReplace.h"
#include "host/Host.h"
#include "host/IniFile.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

GoodsPicker& Picker()
{
    static GoodsPicker picker;
    return picker;
}

//! Window messages travel as events of their own type, registered once per process.
class ScreenMessageEvent : public QEvent {
public:
    ScreenMessageEvent(unsigned message, std::intptr_t wParam, std::intptr_t lParam)
        : QEvent(EventType()), message(message), wParam(wParam), lParam(lParam)
    {
    }
    static QEvent::Type EventType()
    {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    unsigned message;
    std::intptr_t wParam;
    std::intptr_t lParam;
};

//! A screen as assistive technology sees it: a dialog while it runs modally or is made one, else
//! a window, named by its title. A plain widget would be published as an unnamed filler, and a
//! screen reader would not announce that a screen opened.
class ScreenAccessible : public QAccessibleWidget {
public:
    explicit ScreenAccessible(QWidget* screen) : QAccessibleWidget(screen, QAccessible::Window) {}

    QAccessible::Role role() const override
    {
        const QWidget* screen = widget();
        bool dialog = screen->isWindow() && (screen->windowType() == Qt::Dialog || screen->isModal());
        return dialog ? QAccessible::Dialog : QAccessible::Window;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return widget()->windowTitle();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* ScreenInterface(const QString&, QObject* object)
{
    auto* screen = dynamic_cast<TManuRootForm*>(object);
    return screen ? new ScreenAccessible(screen) : nullptr;
}

// A cell editor lives in the viewport of its grid; Escape there cancels the edit, not the screen.
bool EditingInGrid(const QWidget* focus)
{
    for (const QWidget* up = focus; up && up->parentWidget(); up = up->parentWidget()) {
        auto* view = qobject_cast<const QAbstractItemView*>(up->parentWidget()->parentWidget());
        if (view && up->parentWidget() == view->viewport()) return true;
    }
    return false;
}

}  // namespace

TManuRootForm::TManuRootForm(std::string_view formName, QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::fromUtf8(formName.data(), static_cast<qsizetype>(formName.size())));
    static const bool published = (QAccessible::installFactory(ScreenInterface), true);
    (void)published;
    privilegeID = GetPrivilegedFormID(formName).value_or(0);
    for (const char* cache : {"qryGoods", "qryUnit", "qryGoodsUnit", "qryShop", "qryMoney"}) OpenLookupDataSet(cache);
}

TManuRootForm::~TManuRootForm()
{
    if (modalLoop) modalLoop->quit();
}

Connection& TManuRootForm::DBStartup() const
{
    return CurrentHost().DBStartup();
}

void TManuRootForm::OpenDataSet(DataSet& dataSet) const
{
    dataSet.Open(DBStartup());
}

void TManuRootForm::PrintReport(LookupCombo& styleCombo, DataSet* master, DataSet* detail, bool printDirectly)
{
    if (printing) return;
    int standardID = styleCombo.Tag();
    ReportDesign report;
    report.SetMasterSource(master);
    report.SetDataSource(detail);
    printing = true;
    try {
        if (SelectPrintStyle(standardID, styleCombo, master, detail, report)) {
            SetReportVariables(standardID, master, detail, report);
            if (printDirectly)
                report.Print();
            else
                report.PrintPreview();
        }
    } catch (const std::exception& error) {
        ShowError(error);
    }
    printing = false;
    std::error_code ignored;
    if (!report.RptFileName().empty()) std::filesystem::remove(report.RptFileName(), ignored);
}

bool TManuRootForm::SelectPrintStyle(int standardID, LookupCombo& styleCombo, DataSet*, DataSet*, ReportDesign& report)
{
    if (styleCombo.Text().isEmpty()) {
        if (ShowYesNoQuestion("没有选择打印样式, 是否要用标准样式进行打印或预览?") != AnswerYes) return false;
        return LoadPrintTemplate(report, standardID);
    }
    return LoadPrintTemplate(report, static_cast<int>(styleCombo.Value().AsInteger()));
}

void TManuRootForm::SetReportVariables(int, DataSet* master, DataSet*, ReportDesign& report)
{
    if (master && master->Active())
        for (int i = 0; i < master->FieldCount(); ++i) {
            const Field& field = master->FieldByIndex(i);
            report.SetVarValue("M.M" + field.Name(), field.AsString());
        }
    report.SetVarValue("CompanyTaxNo", LookupSysParam("TaxNo"));
    report.SetVarValue("CompanyName", LookupSysParam("CompanyName"));
    report.SetVarValue("CompanyAddress", LookupSysParam("Address") + "(电话:" + LookupSysParam("Tel") + ")");
    report.SetVarValue("CompanyBankNo", LookupSysParam("Bank") + "(帐号:" + LookupSysParam("BankNo") + ")");
    report.SetVarValue("OpName", CurrentHost().UserName());
}

void TManuRootForm::DesignPrintStyle(LookupCombo& styleCombo, DataSet* master, DataSet* detail)
{
    int standardID = styleCombo.Tag();
    int chosenID = styleCombo.Text().isEmpty() ? standardID : static_cast<int>(styleCombo.Value().AsInteger());
    try {
        std::optional<PrintTemplateRecord> chosen = ReadPrintTemplate(chosenID);
        if (!chosen) {
            ShowInformation("所选的打印样式已不存在!");
            return;
        }
        ReportDesign sample;
        sample.SetMasterSource(master);
        sample.SetDataSource(detail);
        SetReportVariables(standardID, master, detail, sample);
        TReportStyleForm designer(sample, std::move(*chosen), this);
        designer.setWindowFlag(Qt::Dialog);
        if (designer.ShowModal() != mrOk) return;
        if (DataSet* listed = styleCombo.LookupDataSet()) {
            // The drop-down grid lets go of the rows while they are read again.
            styleCombo.SetLookupDataSet(nullptr);
            listed->Requery();
            styleCombo.SetLookupDataSet(listed);
        }
        styleCombo.SetValue(designer.SavedID());
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

bool TManuRootForm::LoadPrintTemplate(ReportDesign& report, int templateID)
{
    std::string fileName = CurrentHost().TempDirectory() + std::to_string(templateID) + ".Zrp";
    std::optional<PrintTemplateRecord> stored = ReadPrintTemplate(templateID);
    if (stored && !stored->data.empty()) ReplaceFile(fileName, stored->data);
    if (!std::filesystem::exists(fileName)) return false;
    report.SetRptFileName(fileName);
    return true;
}

void TManuRootForm::FillGoodsFields(DataSet& dataSet)
{
    if (!dataSet.Active() || dataSet.IsEmpty()) return;
    // Called from OnCalcFields it fills the calculated fields; while a row is edited, the data
    // fields: each kind can only be written in its own state.
    bool calculating = dataSet.State() == DataSetState::CalcFields;
    Field* goods = dataSet.FindField("GoodsID");
    Variant goodsID = goods ? goods->Value() : Variant();
    auto fill = [&](std::string_view fieldName, const std::function<Variant()>& value) {
        Field* field = dataSet.FindField(fieldName);
        if (field && (field->Kind() == FieldKind::Calculated) == calculating) field->SetValue(value());
    };
    if (Field* unit = dataSet.FindField("UnitName"); unit && unit->Kind() == FieldKind::Calculated)
        fill("UnitName", [&] { return LookupDataEx(40, "UnitID", LookupData(3, goodsID, "UnitID"), "UnitName"); });
    fill("goodsname", [&] { return LookupData(3, goodsID, "Name"); });
    fill("goodscode", [&] { return LookupData(3, goodsID, "Code"); });
    fill("barcode", [&] { return LookupData(3, goodsID, "BarCode"); });
    fill("Specs", [&] { return LookupData(3, goodsID, "Specs"); });
    Field* store = dataSet.FindField("StoreID");
    if (!store || store->IsNull()) return;
    std::string storeCondition = " from L_Store where StoreID=" + std::to_string(store->AsInteger());
    fill("storecode", [&] { return GetValueOfSql("select CODE" + storeCondition); });
    fill("storename", [&] { return GetValueOfSql("select name" + storeCondition); });
}

void TManuRootForm::LookupComboAction(LookupCombo& combo, const std::string& action)
{
    if (action == "查找" && combo.Tag() == 4) {
        if (!Picker()) return;
        pickedQuantity = 0;
        if (auto picked = Picker()(*this, PickerCondition(combo))) {
            pickedQuantity = picked->quantity;
            combo.SetValue(picked->goodsID);
        }
        return;
    }
    ComboBoxUtilitys(combo, action, privilegeID, -1);
}

void TManuRootForm::PrepareLookupCombos()
{
    combosPrepared = true;
    for (LookupCombo* combo : findChildren<LookupCombo*>()) {
        combo->SetActionHandler(
            [this](LookupCombo& sender, const std::string& action) { LookupComboAction(sender, action); });
        auto& names = combo->ColumnNames();
        names.clear();
        auto columns = combo->DropDownColumns();
        for (const auto& column : columns) names.push_back(column + "*");
        if (!columns.empty()) names.push_back(columns.back() + "#");
    }
}

int TManuRootForm::ShowModal()
{
    modalResult = mrNone;
    // A screen opened from another one is its child; shown modally it is a dialog over it, never
    // a widget drawn inside it.
    if (!isWindow()) setWindowFlag(Qt::Dialog);
    setWindowModality(Qt::ApplicationModal);
    PlaceDialog(*this);
    show();
    QEventLoop loop;
    modalLoop = &loop;
    loop.exec();
    modalLoop = nullptr;
    setWindowModality(Qt::NonModal);
    return modalResult == mrNone ? mrCancel : modalResult;
}

void TManuRootForm::SetModalResult(int result)
{
    modalResult = result;
    if (result != mrNone) close();
}

void TManuRootForm::SetGoodsPicker(GoodsPicker picker)
{
    Picker() = std::move(picker);
}

void TManuRootForm::SetDefaultSize(int width, int height)
{
    defaultSize = QSize(width, height);
    IniFile settings(CurrentHost().SystemIniPath());
    QSize remembered(settings.ReadInteger(LayoutSection(), "Width", 0),
                     settings.ReadInteger(LayoutSection(), "Height", 0));
    // A size from another, larger desktop would put the screen's buttons off this one.
    if (remembered.width() >= 200 && remembered.height() >= 120 && remembered.width() <= 8000 &&
        remembered.height() <= 8000)
        rememberedSize = remembered;
    resize(sizeHint());
}

QSize TManuRootForm::sizeHint() const
{
    if (rememberedSize.isValid()) return rememberedSize;
    if (defaultSize.isValid()) return defaultSize;
    return QWidget::sizeHint();
}

std::string TManuRootForm::LayoutSection() const
{
    return "Layout." + objectName().toStdString() + "." + std::to_string(CurrentHost().UserID());
}

void TManuRootForm::RestoreColumnWidths()
{
    layoutRestored = true;
    IniFile settings(CurrentHost().SystemIniPath());
    std::string section = LayoutSection();
    for (const std::string& key : settings.Keys(section)) {
        auto dot = key.find('.');
        if (dot == std::string::npos) continue;
        auto* grid = findChild<DbGrid*>(QString::fromStdString(key.substr(0, dot)));
        if (grid) grid->SetUserColumnWidth(key.substr(dot + 1), settings.ReadInteger(section, key, 0));
    }
}

void TManuRootForm::SaveLayout() const
{
    if (!defaultSize.isValid()) return;
    IniFile settings(CurrentHost().SystemIniPath());
    std::string section = LayoutSection();
    settings.WriteInteger(section, "Width", width());
    settings.WriteInteger(section, "Height", height());
    for (const DbGrid* grid : findChildren<DbGrid*>()) {
        if (grid->objectName().isEmpty()) continue;
        for (const auto& [field, columnWidth] : grid->UserColumnWidths())
            settings.WriteInteger(section, grid->objectName().toStdString() + "." + field, columnWidth);
    }
    try {
        settings.UpdateFile();
    } catch (const IniError&) {
        // A read-only settings folder costs the user the layout, never the work.
    }
}

void TManuRootForm::FormShow()
{
    // Planners type codes and quantities; an input method left on from another program would
    // turn them into Chinese characters, so every edit starts without one.
    auto reset = [](QWidget* widget) { widget->setInputMethodHints(Qt::ImhNone); };
    for (QLineEdit* edit : findChildren<QLineEdit*>()) reset(edit);
    for (QComboBox* combo : findChildren<QComboBox*>()) reset(combo);
    for (QAbstractItemView* grid : findChildren<QAbstractItemView*>()) reset(grid);
}

void TManuRootForm::showEvent(QShowEvent* event)
{
    if (!combosPrepared) PrepareLookupCombos();
    if (!layoutRestored) RestoreColumnWidths();
    FormShow();
    NameControls(*this);
    QWidget::showEvent(event);
}

bool TManuRootForm::MayDropPendingWork()
{
    switch (PendingWork()) {
        case UnsavedWork::None:
            return true;
        case UnsavedWork::Unsavable:
            return ShowYesNoQuestion(PendingWorkQuestion()) == AnswerYes;
        case UnsavedWork::Savable:
            break;
    }
    int answer = ShowYesNoCancelQuestion(PendingWorkQuestion());
    if (answer == AnswerCancel || (answer == AnswerYes && !SaveWork())) return false;
    // Saved work closes the screen as its OK button does.
    if (answer == AnswerYes) modalResult = mrOk;
    return true;
}

void TManuRootForm::closeEvent(QCloseEvent* event)
{
    if (!MayDropPendingWork() || !FormClose()) {
        // A screen that stays open has no result yet, whichever button asked it to close.
        modalResult = mrNone;
        event->ignore();
        return;
    }
    event->accept();
    SaveLayout();
    if (modalLoop) modalLoop->quit();
}

void TManuRootForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        // Offered as a shortcut first, the same key already closed the screen, or asked and stayed.
        if (!std::exchange(escapeTaken, false)) close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TManuRootForm::event(QEvent* event)
{
    if (event->type() == ScreenMessageEvent::EventType()) {
        auto* message = static_cast<ScreenMessageEvent*>(event);
        ScreenMessage(message->message, message->wParam, message->lParam);
        return true;
    }
    // A child that lets Escape pass (an edit, a grid not editing) still closes the screen.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier &&
            !EditingInGrid(QApplication::focusWidget())) {
            event->accept();
            escapeTaken = true;
            close();
            return true;
        }
    }
    return QWidget::event(event);
}

FormScreen::FormScreen(std::unique_ptr<TManuRootForm> screen) : form(std::move(screen)) {}

FormScreen::~FormScreen() = default;

void FormScreen::Show()
{
    if (!form) return;
    TManuRootForm* screen = form.release();
    screen->setAttribute(Qt::WA_DeleteOnClose);
    PlaceScreen(screen);
}

int FormScreen::ShowModal()
{
    if (!form) return mrCancel;
    std::unique_ptr<TManuRootForm> screen = std::move(form);
    return screen->ShowModal();
}

void FormScreen::Perform(unsigned message, std::intptr_t wParam, std::intptr_t lParam)
{
    if (!form) return;
    ScreenMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(form.get(), &event);
}

}  // namespace mfg
