#include "TGoodsBomEditForm.h"

#include <QAction>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

#include <map>
#include <optional>

#include "BomStore.h"
#include "BomSummary.h"
#include "DbGrid.h"
#include "LookupCombo.h"
#include "TBomReadForm.h"
#include "TGoodsBomSubForm.h"
#include "host/Dialogs.h"
#include "host/Format.h"
#include "host/LookupCache.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

constexpr int VirtualKind = 9;

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TGoodsBomEditForm::TGoodsBomEditForm(QWidget* parent) : TManuRootForm("TGoodsBomEditForm", parent)
{
    setWindowTitle("物料清单维护");
    SetDefaultSize(1300, 640);
    auto label = [this](const char* name, const QString& text = {}) {
        auto* result = new QLabel(text, this);
        result->setObjectName(name);
        return result;
    };
    auto edit = [this](const char* name) {
        auto* result = new QLineEdit(this);
        result->setObjectName(name);
        connect(result, &QLineEdit::textEdited, this, [this] { TakeHeader(); });
        return result;
    };
    lblGoodsCode = label("lblGoodsCode");
    lblGoodsName = label("lblGoodsName");
    lblSpecs = label("lblSpecs");
    lblUnitName = label("lblUnitName");
    edMasterQty = edit("edMasterQty");
    edUseTime = edit("edUseTime");
    edPreTime = edit("edPreTime");
    dlgcLine = NewCombo("dlgcLine", "qryWorkLine", "WorkLineID", {"code", "name"}, "closed=0", {"新增#", "置空"});

    dlgcGoods = NewCombo("dlgcGoods", "qryGoods", "GoodsID", {"code", "name", "specs"}, std::string(ComponentFilter),
                         {"新增#", "查找#", "置空"});
    dlgcGoods->SetListField("Code");
    dlgcGoods->SetTag(4);
    dlgcSpecs = NewCombo("dlgcSpecs", "qryGoods", "GoodsID", {"code", "name", "specs"}, std::string(ComponentFilter), {});
    dlgcSpecs->SetListField("Specs");
    QxDBLkupGridCombo1 = NewCombo("QxDBLkupGridCombo1", "qryWorkProc", "COUNTWAGEITEMID", {"code", "name"}, "closed=0", {"置空"});
    dgListGoodsBom = new DbGrid(this);
    dgListGoodsBom->setObjectName("dgListGoodsBom");
    dgListGoodsBom->AddColumn("orderno", "顺序编号", 70);
    dgListGoodsBom->AddColumn("GoodsCode", "子件编码", 80).readOnly = true;
    dgListGoodsBom->AddColumn("GoodsName", "品名", 110).readOnly = true;
    dgListGoodsBom->AddColumn("Specs", "规格", 110).readOnly = true;
    dgListGoodsBom->AddColumn("UnitName", "单位", 40).readOnly = true;
    dgListGoodsBom->AddColumn("mnfQty", "数量", 60).format = NumberFormat::Quantity;
    dgListGoodsBom->AddColumn("WASTERATE", "损耗率%", 60);
    dgListGoodsBom->AddColumn("inputgoods", "替代品", 110).readOnly = true;
    dgListGoodsBom->AddColumn("procname", "工序", 60).readOnly = true;
    dgListGoodsBom->AddColumn("MEMO", " 备注", 100);
    for (int i = 1; i <= 5; ++i)
        dgListGoodsBom->AddColumn("guserdef" + std::to_string(i), "货品自定义" + std::to_string(i)).readOnly = true;
    for (int i = 1; i <= 5; ++i) dgListGoodsBom->AddColumn("userdef" + std::to_string(i), "用户自定义字段" + std::to_string(i));
    // The "替代品" cells show the names of the line's substitutes, which no field of the line holds.
    dgListGoodsBom->SetColumnButton(
        "inputgoods", [this] { dgListGoodsBomEditButtonClick(); },
        [this](int row) {
            DataSet& lines = bom.Lines();
            if (substituteDialog || !lines.Active() || row >= lines.RecordCount()) return QString();
            return Text(bom.SubstituteText(
                static_cast<int>(lines.ValueAt(row, lines.FieldByName("ItemNo").Index()).AsInteger())));
        });
    dgListGoodsBom->SetColumnControl("GoodsCode", dlgcGoods);
    dgListGoodsBom->SetColumnControl("Specs", dlgcSpecs);
    dgListGoodsBom->SetColumnControl("procname", QxDBLkupGridCombo1);
    dgListGoodsBom->SetAppendRow([this] { AddClick(*dgListGoodsBom); });

    dlgcProc = NewCombo("dlgcProc", "qryWorkProc", "COUNTWAGEITEMID", {"code", "name"}, "closed=0", {"新增#", "置空"});
    dlgcShop = NewCombo("dlgcShop", "qryWorkShop", "WorkShopID", {"code", "name"}, "", {"新增#", "置空"});
    dlgcCenter = NewCombo("dlgcCenter", "qryWorkCenter", "WorkCenterID", {"code", "name"}, "closed=0", {"新增#", "置空"});
    dgProc = new DbGrid(this);
    dgProc->setObjectName("dgProc");
    dgProc->AddColumn("orderno", "顺序编号", 70);
    for (auto [field, title] : {std::pair<const char*, const char*>{"code", "编码"}, {"name", "工序"}, {"shopname", "车间"},
                                {"centername", "工作中心"}})
        dgProc->AddColumn(field, title, 90).readOnly = true;
    dgProc->AddColumn("usetime", "耗用工时").format = NumberFormat::Quantity;
    dgProc->AddColumn("pretime", "准备时间").format = NumberFormat::Quantity;
    dgProc->AddColumn("memo", "备注", 160);
    dgProc->SetColumnControl("name", dlgcProc);
    dgProc->SetColumnControl("shopname", dlgcShop);
    dgProc->SetColumnControl("centername", dlgcCenter);
    dgProc->SetAppendRow([this] { AddClick(*dgProc); });

    pgBom = new QTabWidget(this);
    pgBom->setObjectName("pgBom");
    tsMaterial = GridPage(dgListGoodsBom);
    tsMaterial->setObjectName("tsMaterial");
    tsProc = GridPage(dgProc);
    tsProc->setObjectName("tsProc");
    dbgProc = new DbGrid(this);
    dbgProc->setObjectName("dbgProc");
    for (auto [field, title] : {std::pair<const char*, const char*>{"GoodsCode", "子件编码"}, {"GoodsName", "品名"},
                                {"Specs", "规格"}, {"UnitName", "单位"}, {"wasterate", "损耗率"}, {"mnfQty", "数量"},
                                {"inputgoods", "替代品"}})
        dbgProc->AddColumn(field, title, 110).readOnly = true;
    dbgProc->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgProc->SetColumnButton("inputgoods", [this] { dbgProcEditButtonClick(); });
    tsSum = GridPage(dbgProc);
    tsSum->setObjectName("tsSum");
    pgBom->addTab(tsMaterial, "子件");
    pgBom->addTab(tsProc, "工序");
    pgBom->addTab(tsSum, "子件合并");
    AddMenu(dgListGoodsBom);
    AddMenu(dgProc);

    btnRead = new QPushButton("读入(&R)", this);
    btnRead->setObjectName("btnRead");
    lbAbate = label("lbAbate", "已审核");
    lbAbate->setStyleSheet("color: red; font-weight: bold;");
    dbtOpName = label("dbtOpName");
    dbtCheckor = label("dbtCheckor");
    btCheck = new QPushButton("审核(&O)", this);
    btCheck->setObjectName("btCheck");
    btnOk = new QPushButton("确定(&A)", this);
    btnOk->setObjectName("btnOk");
    btnCancel = new QPushButton("取消(&C)", this);
    btnCancel->setObjectName("btnCancel");

    auto* head = new QGridLayout;
    head->addWidget(new QLabel("父件编码:", this), 0, 0);
    head->addWidget(lblGoodsCode, 0, 1);
    head->addWidget(new QLabel("品名:", this), 0, 2);
    head->addWidget(lblGoodsName, 0, 3);
    head->addWidget(new QLabel("规格:", this), 0, 4);
    head->addWidget(lblSpecs, 0, 5);
    head->addWidget(new QLabel("单位:", this), 0, 6);
    head->addWidget(lblUnitName, 0, 7);
    head->addWidget(new QLabel("父件数量:", this), 1, 0);
    head->addWidget(edMasterQty, 1, 1);
    head->addWidget(new QLabel("耗用工时:", this), 1, 2);
    head->addWidget(edUseTime, 1, 3);
    head->addWidget(new QLabel("小时  准备时间:", this), 1, 4);
    head->addWidget(edPreTime, 1, 5);
    head->addWidget(new QLabel("小时  工艺流程:", this), 1, 6);
    head->addWidget(dlgcLine, 1, 7);
    auto* footer = new QHBoxLayout;
    footer->addWidget(btnRead);
    footer->addWidget(lbAbate);
    footer->addStretch();
    footer->addWidget(new QLabel("制单人:", this));
    footer->addWidget(dbtOpName);
    footer->addWidget(new QLabel("审核人:", this));
    footer->addWidget(dbtCheckor);
    footer->addStretch();
    footer->addWidget(btCheck);
    footer->addWidget(btnOk);
    footer->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(pgBom, 1);
    layout->addLayout(footer);

    connect(dlgcGoods, &LookupCombo::Changed, this, [this] { dlgcGoodsChange(); });
    connect(dlgcSpecs, &LookupCombo::Changed, this, [this] {
        if (showing) return;
        // Other specs (规格) under the same goods name are other goods: choosing one changes the component.
        showing = true;
        dlgcGoods->SetValue(dlgcSpecs->Value());
        showing = false;
        dlgcGoodsChange();
    });
    connect(QxDBLkupGridCombo1, &LookupCombo::Changed, this, [this] {
        if (showing || bom.Lines().IsEmpty()) return;
        bom.Lines().Edit();
        bom.Lines().FieldByName("COUNTWAGEITEMID").SetValue(QxDBLkupGridCombo1->Value());
        bom.Lines().Post();
        dgListGoodsBom->CloseColumnControl();
    });
    for (auto [combo, field] : {std::pair<LookupCombo*, const char*>{dlgcProc, "COUNTWAGEITEMID"},
                                {dlgcShop, "WorkShopID"},
                                {dlgcCenter, "WorkCenterID"}})
        connect(combo, &LookupCombo::Changed, this, [this, combo = combo, field = field] {
            if (showing || bom.Processes().IsEmpty()) return;
            bom.Processes().Edit();
            bom.Processes().FieldByName(field).SetValue(combo->Value());
            bom.Processes().Post();
            dgProc->CloseColumnControl();
        });
    connect(dlgcLine, &LookupCombo::Changed, this, [this] { dlgcLineChange(); });
    connect(pgBom, &QTabWidget::currentChanged, this, [this] {
        if (pgBom->currentWidget() != tsSum) return;
        dbgProc->SetDataSet(nullptr);
        BuildBomSummary(bom, summarySet);
        dbgProc->SetDataSet(&summarySet);
    });
    connect(&dgListGoodsBom->Model(), &DataSetModel::CursorMoved, this, [this] { LineMoved(); });
    // A new line names its operator as soon as it starts, before the cursor leaves it.
    connect(&dgListGoodsBom->Model(), &QAbstractItemModel::dataChanged, this, [this] { ShowLineOperators(); });
    connect(&dgProc->Model(), &DataSetModel::CursorMoved, this, [this] { ProcessMoved(); });
    // Times entered on the process page rewrite the header totals.
    connect(&dgProc->Model(), &QAbstractItemModel::dataChanged, this, [this] { ShowHeader(); });
    connect(&dgProc->Model(), &QAbstractItemModel::rowsRemoved, this, [this] { ShowHeader(); });
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btCheck, &QPushButton::clicked, this, [this] { btCheckClick(); });
    connect(btnRead, &QPushButton::clicked, this, [this] { btnReadClick(); });
}

LookupCombo* TGoodsBomEditForm::NewCombo(const char* name, const char* cache, const char* key,
                                         std::vector<std::string> columns, std::string filter,
                                         std::vector<std::string> buttons)
{
    auto* combo = new LookupCombo(this);
    combo->setObjectName(name);
    combo->SetLookupDataSet(&OpenLookupDataSet(cache));
    combo->SetKeyField(key);
    combo->SetListField("name");
    static const std::map<std::string, std::string> titles{{"code", "编码"}, {"name", "名称"}, {"specs", "规格"}};
    for (const auto& column : columns) combo->AddDropDownColumn(column, titles.at(column));
    combo->SetDropDownFilter(std::move(filter));
    combo->SetActionButtons(std::move(buttons));
    return combo;
}

QWidget* TGoodsBomEditForm::GridPage(DbGrid* grid)
{
    auto* page = new QWidget(this);
    (new QVBoxLayout(page))->addWidget(grid, 1);
    return page;
}

void TGoodsBomEditForm::AddMenu(DbGrid* grid)
{
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (auto [caption, work] : {std::pair<const char*, void (TGoodsBomEditForm::*)(DbGrid&)>{"增加", &TGoodsBomEditForm::AddClick},
                                 {"删除", &TGoodsBomEditForm::DeleteClick},
                                 {"复制明细", &TGoodsBomEditForm::CopyClick},
                                 {"全删", &TGoodsBomEditForm::DeleteAllClick}}) {
        auto* action = new QAction(caption, grid);
        connect(action, &QAction::triggered, this, [this, grid, work = work] { (this->*work)(*grid); });
        grid->addAction(action);
        menuActions.push_back(action);
    }
}

bool TGoodsBomEditForm::LoadBom(int parentID)
{
    if (!bom.Load(parentID)) return false;
    // Only what is no number is refused as typed; a number out of bounds meets the BOM's own rules,
    // which answer in their words and set the value they set.
    bom.Lines().SetNumberRange("mnfQty", NumberRange::Signed());
    bom.Lines().SetNumberRange("WASTERATE", NumberRange::Signed());
    for (const char* field : {"usetime", "pretime"}) bom.Processes().SetNumberRange(field, NumberRange::Signed());
    dgListGoodsBom->SetDataSet(&bom.Lines());
    dgProc->SetDataSet(&bom.Processes());
    lblGoodsCode->setText(Text(bom.ParentCode()));
    lblGoodsName->setText(Text(bom.ParentName()));
    lblSpecs->setText(Text(bom.ParentSpecs()));
    lblUnitName->setText(Text(bom.ParentUnitName()));
    audited = ReadBomAuditState(parentID) != 0;
    ShowHeader();
    ShowAuditState();
    LineMoved();
    ProcessMoved();
    return true;
}

int TGoodsBomEditForm::EditBom(int parentID)
{
    if (!LoadBom(parentID)) {
        ShowInformation("货品不存在");
        return mrCancel;
    }
    return ShowModal();
}

void TGoodsBomEditForm::ShowHeader()
{
    showing = true;
    edMasterQty->setText(Text(bom.header.masterQty));
    edUseTime->setText(Text(bom.header.useTime));
    edPreTime->setText(Text(bom.header.preTime));
    dlgcLine->SetValue(bom.header.workLineID ? Variant(*bom.header.workLineID) : Variant());
    showing = false;
}

void TGoodsBomEditForm::TakeHeader()
{
    bom.header.masterQty = edMasterQty->text().toStdString();
    bom.header.useTime = edUseTime->text().toStdString();
    bom.header.preTime = edPreTime->text().toStdString();
}

void TGoodsBomEditForm::ShowAuditState()
{
    btCheck->setText(audited ? "反审核" : "审核");
    auto triggers = audited ? QAbstractItemView::NoEditTriggers
                            : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::AnyKeyPressed;
    dgListGoodsBom->setEditTriggers(triggers);
    dgProc->setEditTriggers(triggers);
    for (QWidget* widget : std::initializer_list<QWidget*>{btnOk, btnRead, edMasterQty, edUseTime, edPreTime, dlgcLine,
                                                           dlgcGoods, dlgcSpecs, QxDBLkupGridCombo1, dlgcProc, dlgcShop, dlgcCenter})
        widget->setEnabled(!audited);
    for (QAction* action : menuActions) action->setEnabled(!audited);
    lbAbate->setVisible(audited);
}

void TGoodsBomEditForm::LineMoved()
{
    DataSet& lines = bom.Lines();
    showing = true;
    bool any = lines.Active() && !lines.IsEmpty();
    dlgcGoods->SetValue(any ? lines.FieldByName("ElemGID").Value() : Variant());
    dlgcSpecs->SetValue(any ? lines.FieldByName("ElemGID").Value() : Variant());
    // The specs column offers the other specs (规格) of goods with the line's goods name.
    std::string name = any ? lines.FieldByName("GoodsName").AsString() : std::string();
    std::string filter(ComponentFilter);
    if (!name.empty()) {
        std::string same = " and name=" + QuoteSql(name) + ")";
        filter = "(Kind=1 and  Closed = 0" + same + " or (Kind = 2 and  Closed = 0" + same + " or (Kind = 3 and  Closed = 0" +
                 same + " or (kind = 9 and  Closed = 0" + same;
    }
    dlgcSpecs->SetDropDownFilter(filter);
    QxDBLkupGridCombo1->SetValue(any ? lines.FieldByName("COUNTWAGEITEMID").Value() : Variant());
    showing = false;
    ShowLineOperators();
}

void TGoodsBomEditForm::ShowLineOperators()
{
    DataSet& lines = bom.Lines();
    bool any = lines.Active() && !lines.IsEmpty();
    dbtOpName->setText(any ? Text(lines.FieldByName("opname").AsString()) : QString());
    dbtCheckor->setText(any ? Text(lines.FieldByName("checkor").AsString()) : QString());
}

void TGoodsBomEditForm::ProcessMoved()
{
    DataSet& processes = bom.Processes();
    showing = true;
    bool any = processes.Active() && !processes.IsEmpty();
    dlgcProc->SetValue(any ? processes.FieldByName("COUNTWAGEITEMID").Value() : Variant());
    dlgcShop->SetValue(any ? processes.FieldByName("WorkShopID").Value() : Variant());
    dlgcCenter->SetValue(any ? processes.FieldByName("WorkCenterID").Value() : Variant());
    showing = false;
}

void TGoodsBomEditForm::dlgcGoodsChange()
{
    if (showing) return;
    TakeHeader();
    const Variant goods = dlgcGoods->Value();
    if (goods.IsNull()) {
        if (bom.Lines().IsEmpty()) return;
        bom.Lines().Edit();
        bom.Lines().FieldByName("ElemGID").Clear();
    } else {
        bom.SetComponent(static_cast<int>(goods.AsInteger()));
    }
    bom.Lines().Post();
    LineMoved();
    dgListGoodsBom->CloseColumnControl();
}

void TGoodsBomEditForm::LookupComboAction(LookupCombo& combo, const std::string& action)
{
    const Variant before = combo.Value();
    TManuRootForm::LookupComboAction(combo, action);
    // A component picked with "查找" takes the quantity typed in the picker, 1 when none was.
    if (&combo != dlgcGoods || action != "查找" || combo.Value().IsNull() || combo.Value() == before) return;
    bom.Lines().Edit();
    bom.Lines().FieldByName("MnfQty").SetValue(FormatQuantity(PickedQuantity() > 0 ? PickedQuantity() : 1));
    bom.Lines().Post();
}

void TGoodsBomEditForm::dlgcLineChange()
{
    if (showing) return;
    const Variant line = dlgcLine->Value();
    bom.SetWorkLine(line.IsNull() ? std::nullopt : std::optional<int>(static_cast<int>(line.AsInteger())));
    ShowHeader();
}

void TGoodsBomEditForm::btnOkClick()
{
    TakeHeader();
    if (SaveWork()) SetModalResult(mrOk);
}

TManuRootForm::UnsavedWork TGoodsBomEditForm::PendingWork()
{
    TakeHeader();
    return !audited && bom.Modified() ? UnsavedWork::Savable : UnsavedWork::None;
}

bool TGoodsBomEditForm::SaveWork()
{
    bool saved = SaveBom(bom);
    ShowHeader();
    return saved;
}

void TGoodsBomEditForm::btCheckClick()
{
    TakeHeader();
    if (!audited) {
        bool done = AuditBom(bom);
        audited = ReadBomAuditState(bom.ParentID()) != 0;
        if (done) SetModalResult(mrOk);
        return;
    }
    if (UnauditBom(bom.ParentID())) {
        DataSet& lines = bom.Lines();
        for (lines.First(); !lines.Eof(); lines.Next()) {
            lines.Edit();
            lines.FieldByName("Checkorid").Clear();
            lines.FieldByName("checkor").Clear();
            lines.Post();
        }
        // The lines show what the withdrawal stored; nothing is left to save.
        lines.CommitUpdates();
        lines.First();
    }
    audited = ReadBomAuditState(bom.ParentID()) != 0;
    ShowAuditState();
    LineMoved();
}

void TGoodsBomEditForm::btnReadClick()
{
    TBomReadForm dialog(this);
    dialog.setWindowFlag(Qt::Window);
    if (dialog.ShowModal() != mrOk) return;
    ReadBom(dialog.GoodsID(), dialog.ReadProcesses(), dialog.ReadSubstitutes());
}

void TGoodsBomEditForm::ReadBom(int sourceID, bool withProcesses, bool withSubstitutes)
{
    TakeHeader();
    bom.CopyFrom(sourceID, withProcesses, withSubstitutes);
    ShowHeader();
    LineMoved();
}

void TGoodsBomEditForm::dgListGoodsBomEditButtonClick()
{
    DataSet& lines = bom.Lines();
    if (lines.IsEmpty() || lines.FieldByName("ElemGID").IsNull()) return;
    if (lines.FieldByName("Kind").AsInteger() == VirtualKind) return;
    lines.Post();
    int component = static_cast<int>(lines.FieldByName("ElemGID").AsInteger());
    int itemNo = static_cast<int>(lines.FieldByName("ItemNo").AsInteger());
    if (!bom.LineHasSubstitutes(itemNo)) bom.CopyDefaultSubstitutes(component, itemNo);
    TGoodsBomSubForm dialog(this);
    dialog.setWindowFlag(Qt::Window);
    if (!dialog.Load(bom, component, itemNo, lines.FieldByName("MnfQty").AsFloat(), lines.FieldByName("WasteRate").AsFloat()))
        return;
    dialog.SetReadOnly(audited);
    substituteDialog = &dialog;
    dialog.ShowModal();
    substituteDialog = nullptr;
    dgListGoodsBom->viewport()->update();
}

void TGoodsBomEditForm::dbgProcEditButtonClick()
{
    if (!summarySet.Active() || summarySet.IsEmpty() || summarySet.FieldByName("Kind").AsInteger() == VirtualKind) return;
    TGoodsBomSubForm dialog(this);
    dialog.setWindowFlag(Qt::Window);
    if (!dialog.LoadMerged(bom, static_cast<int>(summarySet.FieldByName("ElemGID").AsInteger()),
                           summarySet.FieldByName("mnfQty").AsFloat()))
        return;
    substituteDialog = &dialog;
    dialog.ShowModal();
    substituteDialog = nullptr;
}

void TGoodsBomEditForm::AddClick(DbGrid& grid)
{
    if (&grid == dgListGoodsBom) bom.AppendLine();
    else bom.AppendProcess();
}

void TGoodsBomEditForm::DeleteClick(DbGrid& grid)
{
    if (&grid == dgListGoodsBom) bom.DeleteLine();
    else bom.DeleteProcess();
    ShowHeader();
    LineMoved();
}

void TGoodsBomEditForm::CopyClick(DbGrid& grid)
{
    DataSet& set = *grid.GetDataSet();
    if (!set.Active() || set.IsEmpty() || set.State() == DataSetState::Insert ||
        grid.editTriggers() == QAbstractItemView::NoEditTriggers)
        return;
    set.Post();
    std::vector<std::pair<std::string, Variant>> values;
    for (const auto& name : set.FieldNames())
        if (!EqualsNoCase(name, "ORDERNO") && !EqualsNoCase(name, "INPUTGOODS") && !EqualsNoCase(name, "ITEMNO"))
            values.emplace_back(name, set.FieldByName(name).Value());
    AddClick(grid);
    for (const auto& [name, value] : values) set.FieldByName(name).SetValue(value);
    set.Post();
    LineMoved();
}

void TGoodsBomEditForm::DeleteAllClick(DbGrid& grid)
{
    DataSet& set = *grid.GetDataSet();
    if (!set.Active() || set.IsEmpty() || ShowYesNoQuestion("是否删除全部记录?") != AnswerYes) return;
    while (!set.IsEmpty()) {
        set.First();
        DeleteClick(grid);
    }
}

}  // namespace mfg
