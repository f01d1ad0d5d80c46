#include "TMakePurchaseForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "DbGrid.h"
#include "LookupCombo.h"
#include "ReleaseControls.h"
#include "SuggestionReleases.h"
#include "host/Dialogs.h"
#include "host/Format.h"
#include "host/LookupCache.h"

namespace mfg {

TMakePurchaseForm::TMakePurchaseForm(int releaseMode, QWidget* parent)
    : TMakeDownForm("TMakePurchaseForm", parent), mode(releaseMode)
{
    const bool order = PurchaseKindOf(mode).IsOrder();
    setWindowTitle(order ? "下达采购订单" : "下达请购单");
    OpenLookupDataSet("qryTrader");
    OpenLookupDataSet("qryGoodsUnit");
    cmbTrade = NewLookupCombo(this, "cmbTrade", FindLookupDataSource("dsTrader"), "TraderID", "Name");
    cmbTrade->AddDropDownColumn("CODE", "编号", 80);
    cmbTrade->AddDropDownColumn("NAME", "名称", 200);
    cmbTrade->AddDropDownColumn("SHOPNAME", "分支机构", 120);
    cmbTrade->SetDropDownFilter(SupplierFilter());
    cmbUnit = NewLookupCombo(this, "cmbUnit", FindLookupDataSource("dsGoodsUnit"), "UnitID", "UnitName");
    cmbUnit->AddDropDownColumn("UnitName", "单位", 80);
    cmbUnit->AddDropDownColumn("Rate", "换算率", 80);
    auto* choosers = new QHBoxLayout;
    if (order) {
        choosers->addWidget(new QLabel("供应商", this));
        choosers->addWidget(cmbTrade, 1);
    } else {
        cmbTrade->hide();
    }
    choosers->addWidget(new QLabel("单位", this));
    choosers->addWidget(cmbUnit);
    Body().addLayout(choosers);

    SinglePurchaseRelease::DefineLines(cdsMake);
    for (const char* field : {"quantity", "price"}) cdsMake.SetNumberRange(field, NumberRange::NonNegative());
    QxDBGrid1->SetDataSet(&cdsMake);
    QxDBGrid1->AddColumn("revdate", "收货日期", 100);
    QxDBGrid1->AddColumn("tradername", "供应商", 200).readOnly = true;
    QxDBGrid1->AddColumn("unitname", "单位", 60).readOnly = true;
    QxDBGrid1->AddColumn("quantity", "数量", 80).format = NumberFormat::Quantity;
    QxDBGrid1->AddColumn("price", "单价", 80).format = NumberFormat::Price;
    auto& amount = QxDBGrid1->AddColumn("amount", "金额", 90);
    amount.readOnly = true;
    amount.format = NumberFormat::Amount;
    QxDBGrid1->AddColumn("brief", "备注", 160);
    if (!order)
        for (int column = 0; column < QxDBGrid1->ColumnCount(); ++column) {
            const std::string& field = QxDBGrid1->Column(column).fieldName;
            if (field == "tradername" || field == "price" || field == "amount")
                QxDBGrid1->SetColumnVisible(column, false);
        }

    cdsMake.OnFieldChange("quantity", [this](Field&) { SinglePurchaseRelease::AmountChanged(cdsMake); });
    cdsMake.OnFieldChange("price", [this](Field&) {
        if (release) release->PriceChanged(cdsMake);
    });
    // The drop-downs above the grid show and change the current line.
    cdsMake.AfterScroll([this](DataSet&) { ShowLine(); });
    connect(cmbTrade, &LookupCombo::Changed, this, [this] { cmbTradeChange(); });
    connect(cmbUnit, &LookupCombo::Changed, this, [this] { cmbUnitChange(); });
}

TMakePurchaseForm::~TMakePurchaseForm() = default;

void TMakePurchaseForm::SetSuggestion(const DataSet& cdsPurSug)
{
    SinglePurchaseRelease::Suggestion suggestion;
    suggestion.goodsid = static_cast<std::int32_t>(cdsPurSug.FieldByName("goodsid").AsInteger());
    suggestion.revdate = cdsPurSug.FieldByName("revdate").AsDateTime().Date();
    suggestion.price = cdsPurSug.FieldByName("price").AsFloat();
    suggestion.quantity = cdsPurSug.FieldByName("fixqty").AsFloat();
    SetGoods(suggestion.goodsid, cdsPurSug.FieldByName("goodscode").AsString(),
             cdsPurSug.FieldByName("goodsname").AsString(), cdsPurSug.FieldByName("specs").AsString(),
             cdsPurSug.FieldByName("unitname").AsString(), FormatQuantityText(suggestion.quantity));
    release = std::make_unique<SinglePurchaseRelease>(mode, suggestion);
    cmbUnit->SetDropDownFilter("UnitType = 0 and GoodsID = " + std::to_string(suggestion.goodsid));
}

void TMakePurchaseForm::FormShow()
{
    TMakeDownForm::FormShow();
    if (GoodsID() != 0) cmbUnit->SetDropDownFilter("UnitType = 0 and GoodsID = " + std::to_string(GoodsID()));
}

void TMakePurchaseForm::NewLine()
{
    if (!release) return;
    const double before = SinglePurchaseRelease::BaseQuantity(cdsMake);
    cdsMake.Append();
    release->NewLine(cdsMake, before);
    cdsMake.Post();
    ShowLine();
}

void TMakePurchaseForm::ShowLine()
{
    const QSignalBlocker tradeQuiet(cmbTrade), unitQuiet(cmbUnit);
    cmbTrade->SetValue(cdsMake.IsEmpty() ? Variant() : cdsMake.FieldByName("traderid").Value());
    cmbUnit->SetValue(cdsMake.IsEmpty() ? Variant() : cdsMake.FieldByName("unitid").Value());
}

void TMakePurchaseForm::cmbTradeChange()
{
    if (!release || cdsMake.IsEmpty()) return;
    cdsMake.Edit();
    cdsMake.FieldByName("traderid").SetValue(cmbTrade->Value());
    release->SupplierChanged(cdsMake);
    cdsMake.Post();
}

void TMakePurchaseForm::cmbUnitChange()
{
    if (!release || cdsMake.IsEmpty() || cmbUnit->Value().IsNull()) return;
    const auto previous = static_cast<std::int32_t>(cdsMake.FieldByName("unitid").AsInteger());
    cdsMake.Edit();
    cdsMake.FieldByName("unitid").SetValue(cmbUnit->Value());
    release->UnitChanged(cdsMake, previous);
    cdsMake.Post();
}

void TMakePurchaseForm::btOKClick()
{
    if (!release) return;
    if (auto refused = release->Check(cdsMake)) {
        if (*refused == release->Kind().refused)
            ShowError(*refused);
        else
            ShowInformation(*refused);
        return;
    }
    releasedQty = release->Release(cdsMake);
    codes = release->Codes();
    SetModalResult(mrOk);
}

void TMakePurchaseForm::TakeReleased(DataSet& cdsPurSug, double released)
{
    const double left = cdsPurSug.FieldByName("fixqty").AsFloat() - released;
    cdsPurSug.Edit();
    cdsPurSug.FieldByName("fixqty").SetValue(left >= 0 ? left : 0.0);
    cdsPurSug.Post();
}

void TMakePurchaseForm::ReleaseSuggestion(DataSet& cdsPurSug, int mode, QWidget* parent)
{
    if (!ConfirmReleaseAgain(cdsPurSug)) return;
    TMakePurchaseForm form(mode, parent);
    form.SetSuggestion(cdsPurSug);
    if (form.ShowModal() != mrOk) return;
    TakeReleased(cdsPurSug, form.ReleasedQty());
    const std::vector<std::string>& written = form.codes;
    for (std::size_t i = 0; i < written.size(); ++i)
        RecordRelease(cdsPurSug, i == 0 ? form.ReleasedQty() : 0.0, written[i]);
}

}  // namespace mfg
