// The base form's printing: the standard-style question, the template written to the temporary
// folder and removed after, the variables from the master record and the system parameters, one
// print at a time, and a preview of the standard template written to PDF with the company name
// (in the report's text and in the title of the PDF document).
#include <gtest/gtest.h>

#include <QFile>

#include <filesystem>

#include "LookupCombo.h"
#include "ReportDesign.h"
#include "ScreenTest.h"
#include "TPrintSampleForm.h"
#include "host/Host.h"

namespace mfg {
namespace {

using test::TPrintSampleForm;

// A text as the PDF's document information writes it (UTF-16, big-endian).
QByteArray Utf16BigEndian(const QString& text)
{
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() >> 8));
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
    }
    return bytes;
}

class PrintReportTest : public test::ScreenTest {
protected:
    PrintReportTest()
    {
        test::FillSampleHeader(header);
        lines.SetName("cdsPrint");
        for (auto name : {"Grade", "GoodsCode", "GoodsName"}) lines.AddField(name, FieldType::Text);
        lines.AddField("Quantity", FieldType::Float);
        lines.CreateDataSet();
        lines.AppendRecord({"0", "3001", "山地自行车", 1.0});
        lines.AppendRecord({".1", "2001", "车架组件", 2.5});
    }
    ~PrintReportTest() override { ReportDesign::SetOutputHandler({}); }

    std::filesystem::path TemplateFile(int id) { return host.TempDirectory() + std::to_string(id) + ".Zrp"; }

    DataSet header;
    DataSet lines;
};

TEST_F(PrintReportTest, PreviewOfTheStandardTemplateGoesToPdfWithTheCompanyName)
{
    TPrintSampleForm form(nullptr);
    std::string pdf = host.TempDirectory() + "preview.pdf";
    QString html;
    int outputs = 0;
    ReportDesign::SetOutputHandler([&](ReportDesign& report, bool print) {
        ++outputs;
        EXPECT_FALSE(print);
        EXPECT_TRUE(form.Printing());
        EXPECT_TRUE(std::filesystem::exists(TemplateFile(7001)));
        form.PrintReport(*form.RptStyleCB, &header, &lines, false);  // a second request is ignored
        html = report.PlainText();
        report.ExportPdf(pdf);
    });
    dialogs.Answer({AnswerYes});
    form.PrintReport(*form.RptStyleCB, &header, &lines, false);

    EXPECT_EQ(outputs, 1);
    EXPECT_EQ(dialogs.Texts(MessageKind::YesNoQuestion),
              std::vector<std::string>{"没有选择打印样式, 是否要用标准样式进行打印或预览?"});
    EXPECT_FALSE(form.Printing());
    EXPECT_FALSE(std::filesystem::exists(TemplateFile(7001)));
    EXPECT_TRUE(html.contains("自行车厂 产品结构清单"));
    EXPECT_TRUE(html.contains("品名: 山地自行车"));
    EXPECT_TRUE(html.contains("车架组件"));
    EXPECT_TRUE(html.contains("制表: 管理员"));
    EXPECT_TRUE(html.contains("天津市西青区工业园自行车路8号(电话:022-27912345)"));

    QFile file(QString::fromStdString(pdf));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_TRUE(bytes.contains("/Title"));
    EXPECT_TRUE(bytes.contains(Utf16BigEndian("自行车厂 产品结构清单")));
}

TEST_F(PrintReportTest, NoToTheStandardStyleQuestionPrintsNothing)
{
    TPrintSampleForm form(nullptr);
    int outputs = 0;
    ReportDesign::SetOutputHandler([&](ReportDesign&, bool) { ++outputs; });
    dialogs.Answer({AnswerNo});
    form.PrintReport(*form.RptStyleCB, &header, &lines, true);
    EXPECT_EQ(outputs, 0);
    EXPECT_FALSE(std::filesystem::exists(TemplateFile(7001)));
}

TEST_F(PrintReportTest, AChosenStyleIsUsedWithoutAskingAndSumsItsColumns)
{
    TPrintSampleForm form(nullptr);
    form.RptStyleCB->SetValue(7008);
    ASSERT_FALSE(form.RptStyleCB->Text().isEmpty());
    QString html;
    bool printed = false;
    ReportDesign::SetOutputHandler([&](ReportDesign& report, bool print) {
        printed = print;
        html = report.PlainText();
    });
    DataSet cost;
    cost.AddField("GoodsName", FieldType::Text);
    cost.AddField("Amount", FieldType::Float);
    cost.CreateDataSet();
    cost.AppendRecord({"车架组件", 180.0});
    cost.AppendRecord({"前轮组件", 85.5});
    form.PrintReport(*form.RptStyleCB, &header, &cost, true);
    EXPECT_TRUE(printed);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_TRUE(html.contains("产品成本预算"));
    EXPECT_TRUE(html.contains("合  计"));
    EXPECT_TRUE(html.contains("265.50"));
}

TEST_F(PrintReportTest, ABrokenTemplateIsShownAndEndsThePrint)
{
    host.SqlExecute(
        "insert into L_PRINTTMPLT (PRINTTMPLTID, TypeID, Name, DATA) values (7099, 7001, '坏样式', 'not a template')");
    TPrintSampleForm form(nullptr);
    form.RptStyleCB->SetLookupDataSet(nullptr);
    form.templates->Requery();
    form.RptStyleCB->SetLookupDataSet(form.templates.get());
    form.RptStyleCB->SetValue(7099);
    ReportDesign::SetOutputHandler([](ReportDesign& report, bool) { report.PlainText(); });
    form.PrintReport(*form.RptStyleCB, &header, &lines, false);
    ASSERT_EQ(dialogs.Texts(MessageKind::Error).size(), 1u);
    EXPECT_NE(dialogs.Texts(MessageKind::Error)[0].find("无法读取"), std::string::npos);
    EXPECT_FALSE(form.Printing());
    EXPECT_FALSE(std::filesystem::exists(TemplateFile(7099)));
}

}  // namespace
}  // namespace mfg
