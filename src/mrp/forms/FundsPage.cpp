// The funds projection page of the workbench: the balance per period as a table and a chart.
#include "TMRPForm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "DbGrid.h"
#include "FundsChart.h"
#include "NamedControl.h"
#include "ResultPageControls.h"
#include "host/Format.h"

namespace mfg {

void TMRPForm::BuildBudgetPage()
{
    tsBudget = Named(new QWidget(PageControl1), "tsBudget");
    PageControl1->addTab(tsBudget, "资金预算");
    QWidget* page = tsBudget;
    edtDailyExpense = Named(new QLineEdit("￥0.00", page), "edtDailyExpense");
    ItemGridBudget = NewResultGrid(page, "ItemGridBudget", workbench.cdsBudget,
                                   {{"Date", "日期"},
                                    {"Stock", "当前库存"},
                                    {"CalcCharge", "预计收款"},
                                    {"CalcPay", "预计付款"},
                                    {"MrpPurSug", "MRP计划采购"},
                                    {"DailyExpense", "日常费用"},
                                    {"Laborage", "工资"},
                                    {"Onhand", "结存资金"},
                                    {"StoreLower", "储备下限"},
                                    {"Hardup", "充足+短缺-"}});
    for (int column = 1; column < ItemGridBudget->ColumnCount(); ++column)
        ItemGridBudget->SetColumnFormat(column, NumberFormat::Amount);
    ItemGridBudget->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    chtBudget = Named(new FundsChart(page), "chtBudget");
    auto* row = new QHBoxLayout;
    AddPeriodButtons(*row, page, rbBudgetDay, rbBudgetWeek, rbBudgetMonth, "rbBudgetDay", "rbBudgetWeek",
                     "rbBudgetMonth");
    row->addWidget(new QLabel("日常费用:", page));
    row->addWidget(edtDailyExpense);
    row->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(row);
    layout->addWidget(ItemGridBudget, 1);
    layout->addWidget(chtBudget, 1);
}

}  // namespace mfg
