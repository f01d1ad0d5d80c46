#include "TBomBrowserForm.h"

#include <QAction>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "DbGrid.h"
#include "GoodsBom.h"
#include "LookupCombo.h"
#include "TGoodsBomEditForm.h"
#include "ToolButton.h"
#include "TreeItemsModel.h"
#include "host/Dialogs.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "host/Users.h"

namespace mfg {
namespace {

constexpr int StandardBomTemplate = 7001;

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TBomBrowserForm::ExportFileChooser& Chooser()
{
    static TBomBrowserForm::ExportFileChooser chooser;
    return chooser;
}

std::string AskExportFile(QWidget& parent, const std::string& suggested)
{
    if (Chooser()) return Chooser()(parent, suggested);
    return QFileDialog::getSaveFileName(&parent, "导出Excel", Text(suggested), "Excel 工作簿 (*.xlsx)").toStdString();
}

}  // namespace

TBomBrowserForm::TBomBrowserForm(std::string_view formName, const char* caption, std::string goodsFilter,
                                 QWidget* parent)
    : TManuRootForm(formName, parent)
{
    setWindowTitle(caption);
    SetDefaultSize(960, 600);
    cmbSelGoods = WithName(new LookupCombo(this), "cmbSelGoods");
    cmbSelGoods->SetLookupDataSet(&OpenLookupDataSet("qryGoods"));
    cmbSelGoods->SetKeyField("GoodsID");
    cmbSelGoods->SetListField("Code");
    cmbSelGoods->AddDropDownColumn("Code", "编码");
    cmbSelGoods->AddDropDownColumn("Name", "名称");
    cmbSelGoods->SetDropDownFilter(std::move(goodsFilter));
    cmbSelGoods->SetActionButtons({"新增#", "查找#", "置空"});
    cmbSelGoods->SetTag(4);
    cmbSelGoods->setMinimumWidth(200);  // a whole goods code, not four characters of it
    dbtGoodsName = WithName(new QLabel(this), "dbtGoodsName");
    dbtSpecs = WithName(new QLabel(this), "dbtSpecs");
    dbtUnitName = WithName(new QLabel(this), "dbtUnitName");

    TreeView1 = WithName(new TreeItemsView(this), "TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->SetTree(&items);

    btnPrint = WithName(new ToolButton(this), "btnPrint");
    btnPrint->SetCaption(" 打印(&P)");
    auto* printMenu = new QMenu(btnPrint);
    miPrint = printMenu->addAction("打印");
    miPreview = printMenu->addAction("打印预览");
    btnPrint->setMenu(printMenu);
    btnPrint->setPopupMode(QToolButton::MenuButtonPopup);
    RptStyleCB = WithName(new LookupCombo(this), "RptStyleCB");
    templates =
        CreateAutoQuery("Select TypeID, PrintTmpltID, Name from L_PrintTmplt where TypeID=:TypeID and PrintTmpltID>0",
                        true, {{"TypeID", StandardBomTemplate}});
    RptStyleCB->SetLookupDataSet(templates.get());
    RptStyleCB->SetKeyField("PrintTmpltID");
    RptStyleCB->SetListField("Name");
    RptStyleCB->AddDropDownColumn("Name", "样式");
    RptStyleCB->SetActionButtons({"样式设计"});
    RptStyleCB->SetTag(StandardBomTemplate);
    RptStyleCB->setAccessibleName("打印样式");
    btnExcel = WithName(new QPushButton("导出Excel", this), "btnExcel");
    dbgExport = WithName(new DbGrid(this), "dbgExport");
    dbgExport->hide();

    auto* layout = new QVBoxLayout(this);
    headerRow = new QHBoxLayout;
    headerRow->addWidget(new QLabel("产品编码：", this));
    headerRow->addWidget(cmbSelGoods, 1);
    lblSpecs = WithName(new QLabel("规格：", this), "lblSpecs");
    for (auto [caption, label] : {std::pair<QLabel*, QLabel*>{new QLabel("产品名称：", this), dbtGoodsName},
                                  {lblSpecs, dbtSpecs},
                                  {new QLabel("单位：", this), dbtUnitName}}) {
        headerRow->addWidget(caption);
        headerRow->addWidget(label, 1);
    }
    layout->addLayout(headerRow);
    figuresRow = new QHBoxLayout;
    layout->addLayout(figuresRow);
    layout->addWidget(TreeView1, 1);
    buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(btnPrint);
    buttonRow->addWidget(RptStyleCB);
    buttonRow->addWidget(btnExcel);
    layout->addLayout(buttonRow);
    layout->addWidget(dbgExport);

    connect(cmbSelGoods, &LookupCombo::Changed, this, [this] {
        const Variant& value = cmbSelGoods->Value();
        GoodsChosen(value.IsNull() ? std::nullopt : std::optional(static_cast<int>(value.AsInteger())));
        ShowGoodsLabels();
    });
    connect(miPrint, &QAction::triggered, this, [this] { PrintClick(true); });
    connect(miPreview, &QAction::triggered, this, [this] { PrintClick(false); });
    connect(btnPrint, &QToolButton::clicked, this, [this] { btnPrintClick(); });
    connect(btnExcel, &QPushButton::clicked, this, [this] { btnExcelClick(); });
}

TBomBrowserForm::~TBomBrowserForm()
{
    TreeView1->SetTree(nullptr);
    dbgExport->SetDataSet(nullptr);
}

void TBomBrowserForm::SetExportFileChooser(ExportFileChooser chooser)
{
    Chooser() = std::move(chooser);
}

const BomTreeNode* TBomBrowserForm::SelectedNode() const
{
    TreeNode* selected = TreeView1->Selected();
    if (!selected) return nullptr;
    return &tree.nodes[static_cast<std::size_t>(selected->Value("Node").AsInteger())];
}

void TBomBrowserForm::SelectNode(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= tree.nodes.size() || items.TopLevelCount() == 0) return;
    std::vector<int> path;
    for (int node = index; node > 0; node = tree.nodes[static_cast<std::size_t>(node)].parent) path.push_back(node);
    TreeNode* item = &items.TopLevel(0);
    for (auto node = path.rbegin(); node != path.rend(); ++node) {
        // The view learns of the new items through fetchMore, which makes them for it.
        if (item->ChildrenPending()) TreeView1->Model().fetchMore(TreeView1->Model().IndexOf(*item));
        const std::vector<int>& siblings = childNodes[static_cast<std::size_t>(item->Value("Node").AsInteger())];
        auto at = std::find(siblings.begin(), siblings.end(), *node);
        item = &item->Child(static_cast<int>(at - siblings.begin()));
    }
    TreeView1->Select(*item);
}

void TBomBrowserForm::ClearTree()
{
    items.Clear();
    tree = {};
    childNodes.clear();
    TreeView1->Model().Reset();
}

void TBomBrowserForm::ShowTree(BomTree built)
{
    ClearTree();
    tree = std::move(built);
    childNodes.assign(tree.nodes.size(), {});
    for (std::size_t i = 1; i < tree.nodes.size(); ++i)
        childNodes[static_cast<std::size_t>(tree.nodes[i].parent)].push_back(static_cast<int>(i));
    TreeNode* root = tree.nodes.empty() ? nullptr : &MakeItem(items.Root(), 0);
    if (root) ExpandOpeningLevels(*root);
    TreeView1->Model().Reset();
    if (tree.overflow) ShowInformation(BomOverflowMessage);
    if (!root) return;
    items.Walk([this](TreeNode& item) {
        if (item.Expanded()) TreeView1->expand(TreeView1->Model().IndexOf(item));
        return true;
    });
    TreeView1->Select(*root);
}

TreeNode& TBomBrowserForm::MakeItem(TreeNode& parent, int index)
{
    TreeNode& item = parent.AddChild(tree.nodes[static_cast<std::size_t>(index)].text);
    item.SetValue("Node", index);
    if (!childNodes[static_cast<std::size_t>(index)].empty())
        item.SetChildLoader([this, index](TreeNode& loading) {
            for (int child : childNodes[static_cast<std::size_t>(index)]) MakeItem(loading, child);
        });
    return item;
}

void TBomBrowserForm::ExpandOpeningLevels(TreeNode& root)
{
    std::size_t made = 1;
    std::vector<TreeNode*> level{&root};
    while (!level.empty()) {
        std::size_t children = 0;
        for (TreeNode* item : level)
            children += childNodes[static_cast<std::size_t>(item->Value("Node").AsInteger())].size();
        // The root's own components always show.
        if (made + children > OpenedItemLimit && made > 1) return;
        made += children;
        std::vector<TreeNode*> next;
        for (TreeNode* item : level) {
            item->SetExpanded(true);
            for (int i = 0; i < item->ChildCount(); ++i) next.push_back(&item->Child(i));
        }
        level = std::move(next);
    }
}

bool TBomBrowserForm::HasGoods()
{
    return headerRecord.Active() && !headerRecord.IsEmpty() &&
           !headerRecord.FieldByName("GoodsName").AsString().empty();
}

void TBomBrowserForm::ShowGoodsLabels()
{
    auto field = [this](const char* name) {
        return headerRecord.Active() && !headerRecord.IsEmpty() ? Text(headerRecord.FieldByName(name).AsString())
                                                                : QString();
    };
    dbtGoodsName->setText(field("GoodsName"));
    dbtSpecs->setText(field("Specs"));
    dbtUnitName->setText(field("UnitName"));
}

void TBomBrowserForm::PrintClick(bool printDirectly)
{
    if (!HasPrintPrivilege(BomFunctionNo)) return;
    if (!HasGoods()) {
        ShowInformation("请先选择须打印的产品!");
        return;
    }
    FillPrintRows();
    PrintReport(*RptStyleCB, &headerRecord, &printRows, printDirectly);
    btnPrint->SetCaption(printDirectly ? " 打印" : " 预览");
}

void TBomBrowserForm::btnPrintClick()
{
    PrintClick(btnPrint->Caption() == " 打印");
}

void TBomBrowserForm::btnExcelClick()
{
    if (!HasExportPrivilege(BomFunctionNo)) return;
    if (!HasGoods()) {
        ShowInformation(NoGoodsForExport());
        return;
    }
    FillPrintRows();
    std::string file = AskExportFile(*this, headerRecord.FieldByName("GoodsCode").AsString() + ".xlsx");
    if (file.empty()) return;
    std::vector<ExportColumn> columns;
    for (int i = 0; i < dbgExport->ColumnCount(); ++i)
        columns.emplace_back(dbgExport->Column(i).fieldName, dbgExport->Column(i).title);
    try {
        OutToExcelFun(printRows, ExportTitle(), file, std::move(columns));
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

void TBomBrowserForm::LookupComboAction(LookupCombo& combo, const std::string& action)
{
    if (&combo != RptStyleCB || action != "样式设计") {
        TManuRootForm::LookupComboAction(combo, action);
        return;
    }
    // Without goods the rows are empty but their fields are there, so the columns can be chosen.
    FillPrintRows();
    DesignPrintStyle(*RptStyleCB, &headerRecord, &printRows);
}

bool TBomBrowserForm::EditSelectedBom(std::initializer_list<int> kinds, std::string_view refusal)
{
    const BomTreeNode* node = SelectedNode();
    if (!node || !HasAppendPrivilege(BomFunctionNo)) return false;
    if (std::find(kinds.begin(), kinds.end(), node->kind) == kinds.end()) {
        ShowInformation(refusal);
        return false;
    }
    TGoodsBomEditForm form(this);
    form.setWindowFlag(Qt::Dialog);
    editor = &form;
    int result = form.EditBom(node->goodsID);
    editor = nullptr;
    return result == mrOk;
}

}  // namespace mfg
