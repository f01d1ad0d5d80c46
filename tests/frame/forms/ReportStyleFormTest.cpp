// The style designer offscreen: edits written back and read again, a copy under a new name and id
// that the style combo then lists, the standard styles kept as installed, the refusals of a bad
// style with nothing written, and the print of an edited style.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <initializer_list>

#include "LookupCombo.h"
#include "PrintTemplates.h"
#include "ReportDesign.h"
#include "ScreenTest.h"
#include "TPrintSampleForm.h"
#include "TReportStyleForm.h"
#include "host/Host.h"

namespace mfg {
namespace {

enum Cell { VisibleCell, FieldCell, TitleCell, WidthCell, FormatCell, SumCell };

class ReportStyleFormTest : public test::ScreenTest {
protected:
    ReportStyleFormTest()
    {
        test::FillSampleHeader(header);
        lines.SetName("cdsPrint");
        for (auto name : {"Grade", "GoodsCode", "GoodsName", "Specs", "UnitName", "Memo", "Storage"})
            lines.AddField(name, FieldType::Text);
        for (auto name : {"mnfQty", "WasteRate"}) lines.AddField(name, FieldType::Float);
        lines.CreateDataSet();
        lines.AppendRecord({"0", "3001", "山地自行车", "26寸", "辆", "", "A-01", 1.0, 0.0});
        lines.AppendRecord({".1", "2001", "车架组件", "", "套", "", "B-02", 2.5, 0.0});
        sample.SetMasterSource(&header);
        sample.SetDataSource(&lines);
        sample.SetVarValue("CompanyName", "自行车厂");
        sample.SetVarValue("CompanyAddress", "天津市西青区工业园自行车路8号");
        sample.SetVarValue("OpName", "管理员");
        for (int i = 0; i < header.FieldCount(); ++i)
            sample.SetVarValue("M.M" + header.FieldByIndex(i).Name(), header.FieldByIndex(i).AsString());
    }

    //! A style of the operator's own, copied from the standard BOM print.
    int OwnStyle() { return AddPrintTemplate(7001, "我的结构清单", ReadPrintTemplate(7001)->data); }
    std::unique_ptr<TReportStyleForm> Designer(int id)
    {
        return std::make_unique<TReportStyleForm>(sample, *ReadPrintTemplate(id));
    }
    static int RowOf(TReportStyleForm& form, const char* field)
    {
        for (int row = 0; row < form.grdColumns->rowCount(); ++row)
            if (form.grdColumns->item(row, FieldCell)->text() == field) return row;
        return -1;
    }
    static void Check(TReportStyleForm& form, int row, int cell, bool checked)
    {
        form.grdColumns->item(row, cell)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    int TemplateCount()
    {
        return static_cast<int>(host.GetValueOfSql("select count(*) from L_PRINTTMPLT").AsInteger());
    }

    DataSet header;
    DataSet lines;
    ReportDesign sample;
};

TEST_F(ReportStyleFormTest, OffersTheTemplateColumnsThenTheOtherDetailFieldsHidden)
{
    auto form = Designer(7001);
    EXPECT_EQ(form->edtName->text(), "产品结构清单 (标准样式)");
    EXPECT_EQ(form->edtTitle->text(), "[CompanyName] 产品结构清单");
    EXPECT_TRUE(form->rbPortrait->isChecked());
    ASSERT_EQ(form->grdColumns->rowCount(), 9);
    EXPECT_EQ(form->grdColumns->item(0, FieldCell)->text(), "Grade");
    EXPECT_EQ(form->grdColumns->item(8, FieldCell)->text(), "Storage");
    EXPECT_EQ(form->grdColumns->item(8, VisibleCell)->checkState(), Qt::Unchecked);
    EXPECT_EQ(form->lblWidth->text(), "显示 8 列, 宽度合计 100%");
    EXPECT_TRUE(form->txtPreview->toPlainText().contains("自行车厂 产品结构清单"));
    EXPECT_TRUE(form->txtPreview->toPlainText().contains("车架组件"));
}

TEST_F(ReportStyleFormTest, SaveWritesTheEditsOverTheOwnStyle)
{
    int id = OwnStyle();
    auto form = Designer(id);
    form->edtTitle->setText("[CompanyName] 领料清单");
    form->rbLandscape->setChecked(true);
    form->memHeader->setPlainText("品名: [M.MGoodsName]\n\n第二行");
    form->memFooter->setPlainText("审核:");
    int specs = RowOf(*form, "Specs");
    Check(*form, specs, VisibleCell, false);
    Check(*form, RowOf(*form, "Memo"), VisibleCell, false);
    int storage = RowOf(*form, "Storage");
    Check(*form, storage, VisibleCell, true);
    form->grdColumns->item(storage, TitleCell)->setText("库位");
    form->grdColumns->item(storage, WidthCell)->setData(Qt::EditRole, 10);
    int quantity = RowOf(*form, "mnfQty");
    static_cast<QComboBox*>(form->grdColumns->cellWidget(quantity, FormatCell))->setCurrentIndex(3);
    Check(*form, quantity, SumCell, true);
    form->grdColumns->setCurrentCell(quantity, TitleCell);
    form->btnUpClick();
    EXPECT_TRUE(form->txtPreview->toPlainText().contains("自行车厂 领料清单"));
    EXPECT_TRUE(form->txtPreview->toPlainText().contains("库位"));

    form->btnSaveClick();

    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(form->SavedID(), id);
    EXPECT_EQ(form->ModalResult(), mrOk);
    std::optional<PrintTemplateRecord> stored = ReadPrintTemplate(id);
    ReportTemplate layout = ReportTemplate::Parse(stored->data, "test");
    EXPECT_EQ(layout.title, "[CompanyName] 领料清单");
    EXPECT_TRUE(layout.landscape);
    EXPECT_EQ(layout.header, (std::vector<std::string>{"品名: [M.MGoodsName]", "第二行"}));
    EXPECT_EQ(layout.footer, std::vector<std::string>{"审核:"});
    std::vector<std::string> fields;
    for (const ReportColumn& column : layout.columns) fields.push_back(column.field);
    EXPECT_EQ(fields, (std::vector<std::string>{"Grade", "GoodsCode", "GoodsName", "mnfQty", "UnitName",
                                                "WasteRate", "Storage"}));
    EXPECT_EQ(layout.columns[3].format, NumberFormat::Amount);
    EXPECT_TRUE(layout.columns[3].sum);
    EXPECT_EQ(layout.columns[6].title, "库位");
    EXPECT_EQ(layout.columns[6].width, 10);
    EXPECT_EQ(Designer(id)->edtTitle->text(), "[CompanyName] 领料清单");
}

TEST_F(ReportStyleFormTest, TheEditedStylePrintsItsTitleAndColumn)
{
    int id = OwnStyle();
    auto form = Designer(id);
    form->edtTitle->setText("[CompanyName] 车间领料单");
    int storage = RowOf(*form, "Storage");
    Check(*form, storage, VisibleCell, true);
    Check(*form, RowOf(*form, "Memo"), VisibleCell, false);
    form->grdColumns->item(storage, TitleCell)->setText("库位");
    form->btnSaveClick();
    ASSERT_TRUE(dialogs.Messages().empty());

    std::string file = host.TempDirectory() + "edited.Zrp";
    std::ofstream(file) << ReadPrintTemplate(id)->data;
    ReportDesign report;
    report.SetMasterSource(&header);
    report.SetDataSource(&lines);
    report.SetVarValue("CompanyName", "自行车厂");
    report.SetRptFileName(file);
    QString text = report.PlainText();
    EXPECT_TRUE(text.contains("自行车厂 车间领料单"));
    EXPECT_TRUE(text.contains("库位"));
    EXPECT_TRUE(text.contains("B-02"));
    EXPECT_FALSE(text.contains("备注"));
}

TEST_F(ReportStyleFormTest, SaveAsWritesANewTemplateOfTheSameType)
{
    int before = TemplateCount();
    auto form = Designer(7008);
    form->edtName->setText("成本预算 (简)");
    form->btnSaveAsClick();
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_GT(form->SavedID(), 7008);
    std::optional<PrintTemplateRecord> copy = ReadPrintTemplate(form->SavedID());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->typeID, 7001);
    EXPECT_EQ(copy->name, "成本预算 (简)");
    EXPECT_FALSE(copy->builtIn);
    EXPECT_EQ(TemplateCount(), before + 1);
}

TEST_F(ReportStyleFormTest, SaveOverAStandardStyleOffersACopyAndKeepsTheStandard)
{
    std::string standard = ReadPrintTemplate(7001)->data;
    auto form = Designer(7001);
    form->edtTitle->setText("改过的标题");
    dialogs.Answer({AnswerNo});
    form->btnSaveClick();
    EXPECT_EQ(dialogs.Texts(MessageKind::YesNoQuestion),
              std::vector<std::string>{"“产品结构清单 (标准样式)”是标准样式, 不能覆盖。是否另存为新的样式?"});
    EXPECT_EQ(form->SavedID(), 0);

    dialogs.Clear();
    dialogs.Answer({AnswerYes});
    form->btnSaveClick();
    EXPECT_EQ(dialogs.Texts(MessageKind::Warning),
              std::vector<std::string>{"已有名为“产品结构清单 (标准样式)”的打印样式, 请换一个名称!"});
    EXPECT_EQ(form->SavedID(), 0);

    form->edtName->setText("产品结构清单 (车间)");
    dialogs.Clear();
    dialogs.Answer({AnswerYes});
    form->btnSaveClick();
    ASSERT_GT(form->SavedID(), 7008);
    EXPECT_EQ(ReportTemplate::Parse(ReadPrintTemplate(form->SavedID())->data, "copy").title, "改过的标题");
    EXPECT_EQ(ReadPrintTemplate(7001)->data, standard);
    EXPECT_EQ(ReadPrintTemplate(7001)->name, "产品结构清单 (标准样式)");
}

TEST_F(ReportStyleFormTest, ABadStyleIsRefusedAndNothingIsWritten)
{
    int id = OwnStyle();
    std::string stored = ReadPrintTemplate(id)->data;
    int count = TemplateCount();
    auto form = Designer(id);
    auto refusal = [&](auto click) {
        dialogs.Clear();
        click();
        EXPECT_EQ(form->SavedID(), 0);
        EXPECT_EQ(ReadPrintTemplate(id)->data, stored);
        EXPECT_EQ(TemplateCount(), count);
        auto warnings = dialogs.Texts(MessageKind::Warning);
        return warnings.size() == 1 ? warnings[0] : std::string();
    };

    form->edtName->setText("  ");
    EXPECT_EQ(refusal([&] { form->btnSaveClick(); }), "请输入打印样式的名称!");
    EXPECT_EQ(refusal([&] { form->btnSaveAsClick(); }), "请输入打印样式的名称!");

    form->edtName->setText("我的结构清单 2");
    form->grdColumns->item(RowOf(*form, "Grade"), WidthCell)->setData(Qt::EditRole, 40);
    EXPECT_EQ(form->lblWidth->text(), "显示 8 列, 宽度合计 128%");
    EXPECT_EQ(refusal([&] { form->btnSaveClick(); }), "显示列的宽度合计为 128%, 不能超过 100%!");

    for (int row = 0; row < form->grdColumns->rowCount(); ++row) Check(*form, row, VisibleCell, false);
    EXPECT_EQ(refusal([&] { form->btnSaveAsClick(); }), "至少要显示一列明细!");
}

TEST_F(ReportStyleFormTest, CancelWritesNothing)
{
    int count = TemplateCount();
    auto form = Designer(7008);
    form->edtName->setText("不要的样式");
    form->btnCancel->click();
    EXPECT_EQ(form->ModalResult(), mrCancel);
    EXPECT_EQ(TemplateCount(), count);
}

// The screens have no meta-object of their own, so the designer is found by its name.
TReportStyleForm* OpenDesigner(QWidget& screen)
{
    return static_cast<TReportStyleForm*>(screen.findChild<QWidget*>("TReportStyleForm"));
}

using test::TPrintSampleForm;

TEST_F(ReportStyleFormTest, ASavedCopyIsListedAndChosenInTheStyleCombo)
{
    TPrintSampleForm form(nullptr);
    form.RptStyleCB->SetValue(7008);
    QString opened;
    QTimer::singleShot(0, [&] {
        auto* designer = OpenDesigner(form);
        ASSERT_NE(designer, nullptr);
        opened = designer->edtName->text();
        designer->edtName->setText("成本预算 (车间)");
        designer->btnSaveAs->click();
    });
    form.DesignPrintStyle(*form.RptStyleCB, &header, &lines);

    EXPECT_EQ(opened, "产品成本预算 (标准样式)");
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_GT(form.RptStyleCB->Value().AsInteger(), 7008);
    EXPECT_EQ(form.RptStyleCB->Text(), "成本预算 (车间)");
    EXPECT_EQ(form.templates->RecordCount(), 4);
    EXPECT_EQ(OpenDesigner(form), nullptr);
}

TEST_F(ReportStyleFormTest, WithoutAChosenStyleTheStandardOneIsOpened)
{
    TPrintSampleForm form(nullptr);
    QString opened;
    QTimer::singleShot(0, [&] {
        auto* designer = OpenDesigner(form);
        ASSERT_NE(designer, nullptr);
        opened = designer->edtName->text();
        designer->close();
    });
    form.DesignPrintStyle(*form.RptStyleCB, &header, &lines);
    EXPECT_EQ(opened, "产品结构清单 (标准样式)");
    EXPECT_TRUE(form.RptStyleCB->Text().isEmpty());
}

TEST_F(ReportStyleFormTest, OpensWithinTheDesktopWithEveryControlInside)
{
    auto form = Designer(7001);
    ShowAtDefaultSize(*form);
    for (QWidget* control : std::initializer_list<QWidget*>{
             form->edtName, form->edtTitle, form->rbPortrait, form->rbLandscape, form->memHeader, form->memFooter,
             form->grdColumns, form->btnUp, form->btnDown, form->lblWidth, form->txtPreview})
        ExpectInside(*form, *control);
    Screenshot(*form, "report-style");
}

}  // namespace
}  // namespace mfg
