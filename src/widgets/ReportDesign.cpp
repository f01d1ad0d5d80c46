#include "ReportDesign.h"

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextDocument>

#include "QtDialogs.h"
#include "host/FileReplace.h"
#include "host/Format.h"

namespace mfg {
namespace {

ReportDesign::OutputHandler& Output()
{
    static ReportDesign::OutputHandler handler;
    return handler;
}

NumberFormat FormatNamed(const QString& name)
{
    if (name == "quantity") return NumberFormat::Quantity;
    if (name == "price") return NumberFormat::Price;
    if (name == "amount") return NumberFormat::Amount;
    return NumberFormat::Plain;
}

QString FormatName(NumberFormat format)
{
    switch (format) {
        case NumberFormat::Quantity:
            return "quantity";
        case NumberFormat::Price:
            return "price";
        case NumberFormat::Amount:
            return "amount";
        case NumberFormat::Plain:
            break;
    }
    return {};
}

QJsonArray LinesArray(const std::vector<std::string>& lines)
{
    QJsonArray array;
    for (const auto& line : lines) array.append(ToQString(line));
    return array;
}

std::string FormatNumber(double value, NumberFormat format)
{
    switch (format) {
        case NumberFormat::Quantity:
            return FormatQuantityText(value);
        case NumberFormat::Price:
            return FormatPriceText(value);
        case NumberFormat::Amount:
            return FormatAmountText(value);
        case NumberFormat::Plain:
            break;
    }
    return Variant(value).AsString();
}

std::vector<std::string> Lines(const QJsonValue& value)
{
    std::vector<std::string> lines;
    for (const auto& line : value.toArray()) lines.push_back(line.toString().toStdString());
    return lines;
}

void SetupPage(QPagedPaintDevice& device, const ReportTemplate& layout)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     layout.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
}

}  // namespace

ReportTemplate ReportTemplate::Parse(std::string_view text, std::string_view source)
{
    QJsonParseError error{};
    QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
    auto fail = [source](const QString& problem) {
        throw ReportTemplateError("打印模板 " + std::string(source) + " 无法读取: " + problem.toStdString());
    };
    if (document.isNull()) fail(error.errorString());
    QJsonObject root = document.object();
    if (!root.value("format").toString().startsWith("mfg-report")) fail("不是本系统的打印模板格式");
    ReportTemplate result;
    result.title = root.value("title").toString().toStdString();
    result.landscape = root.value("orientation").toString() == "landscape";
    result.header = Lines(root.value("header"));
    result.footer = Lines(root.value("footer"));
    for (const auto& value : root.value("columns").toArray()) {
        QJsonObject column = value.toObject();
        if (column.value("field").toString().isEmpty()) fail("明细列缺少字段名");
        result.columns.push_back({column.value("field").toString().toStdString(),
                                  column.value("title").toString(column.value("field").toString()).toStdString(),
                                  column.value("width").toInt(), FormatNamed(column.value("format").toString()),
                                  column.value("sum").toBool()});
    }
    return result;
}

std::string ReportTemplate::Text() const
{
    QJsonArray columnArray;
    for (const ReportColumn& column : columns) {
        QJsonObject object{{"field", ToQString(column.field)}, {"title", ToQString(column.title)},
                           {"width", column.width}};
        if (column.format != NumberFormat::Plain) object["format"] = FormatName(column.format);
        if (column.sum) object["sum"] = true;
        columnArray.append(object);
    }
    QJsonObject root{{"format", "mfg-report 1"},
                     {"title", ToQString(title)},
                     {"orientation", landscape ? "landscape" : "portrait"},
                     {"header", LinesArray(header)},
                     {"columns", columnArray},
                     {"footer", LinesArray(footer)}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact).toStdString();
}

void ReportDesign::SetVarValue(std::string_view name, std::string_view text)
{
    variables[std::string(name)] = std::string(text);
}

std::string ReportDesign::VarValue(std::string_view name) const
{
    auto it = variables.find(std::string(name));
    return it == variables.end() ? std::string() : it->second;
}

ReportTemplate ReportDesign::LoadTemplate() const
{
    QFile file(QString::fromStdString(rptFileName));
    if (rptFileName.empty() || !file.open(QIODevice::ReadOnly))
        throw ReportTemplateError("打印模板文件不存在: " + rptFileName);
    QByteArray text = file.readAll();
    return ReportTemplate::Parse(std::string_view(text.constData(), static_cast<size_t>(text.size())), rptFileName);
}

QString ReportDesign::Expand(const std::string& text) const
{
    static const QRegularExpression variable(R"(\[([^\[\]]+)\])");
    QString source = ToQString(text);
    QString result;
    qsizetype last = 0;
    for (auto it = variable.globalMatch(source); it.hasNext();) {
        auto match = it.next();
        result += source.mid(last, match.capturedStart() - last);
        result += ToQString(VarValue(match.captured(1).toStdString()));
        last = match.capturedEnd();
    }
    return result + source.mid(last);
}

void ReportDesign::Render(QTextDocument& document, const ReportTemplate& layout) const
{
    QString html = "<html><body>";
    html += "<h2 align=\"center\">" + Expand(layout.title).toHtmlEscaped() + "</h2>";
    for (const auto& line : layout.header) html += "<p>" + Expand(line).toHtmlEscaped() + "</p>";
    if (detail && detail->Active() && !layout.columns.empty()) {
        html += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"><thead><tr>";
        for (const auto& column : layout.columns) {
            QString width = column.width > 0 ? QString(" width=\"%1%\"").arg(column.width) : QString();
            html += "<th" + width + " bgcolor=\"#e8e8e8\">" + ToQString(column.title).toHtmlEscaped() + "</th>";
        }
        html += "</tr></thead>";
        std::vector<double> sums(layout.columns.size(), 0.0);
        bool anySum = false;
        for (int row = 0; row < detail->RecordCount(); ++row) {
            html += "<tr>";
            for (size_t i = 0; i < layout.columns.size(); ++i) {
                const ReportColumn& column = layout.columns[i];
                const Field* field = detail->FindField(column.field);
                Variant value = field ? detail->ValueAt(row, field->Index()) : Variant();
                bool number = value.Type() == FieldType::Float || value.Type() == FieldType::Integer;
                if (column.sum) {
                    sums[i] += value.AsFloat();
                    anySum = true;
                }
                std::string text = number && column.format != NumberFormat::Plain
                                       ? FormatNumber(value.AsFloat(), column.format)
                                       : value.AsString();
                html += QString(number ? "<td align=\"right\">" : "<td>") + ToQString(text).toHtmlEscaped() + "</td>";
            }
            html += "</tr>";
        }
        if (anySum) {
            html += "<tr>";
            for (size_t i = 0; i < layout.columns.size(); ++i) {
                QString text = i == 0 ? QString("合&nbsp;&nbsp;计") : QString();
                if (layout.columns[i].sum) text = ToQString(FormatNumber(sums[i], layout.columns[i].format));
                html += QString(layout.columns[i].sum ? "<td align=\"right\"><b>" : "<td><b>") + text + "</b></td>";
            }
            html += "</tr>";
        }
        html += "</table>";
    }
    for (const auto& line : layout.footer) html += "<p>" + Expand(line).toHtmlEscaped() + "</p>";
    html += "</body></html>";
    // Simplified Chinese faces first, or the font matcher may take a Japanese one whose glyphs
    // differ from what the user reads on screen.
    document.setDefaultFont(
        QFont(QStringList{"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Micro Hei", QFont().family()}, 10));
    document.setHtml(html);
}

QString ReportDesign::PlainText() const
{
    QTextDocument document;
    Render(document, LoadTemplate());
    return document.toPlainText().replace(QChar::Nbsp, ' ');
}

void ReportDesign::ExportPdf(const std::string& fileName)
{
    ReportTemplate layout = LoadTemplate();
    // Made in memory and then put in place whole, as every output file: a folder or a link under
    // the name is never written through, and a failed write says so.
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        SetupPage(writer, layout);
        writer.setTitle(Expand(layout.title));
        writer.setCreator("生产制造");
        QTextDocument document;
        Render(document, layout);
        document.print(&writer);
    }
    ReplaceFile(fileName, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
}

void ReportDesign::Print()
{
    if (Output()) {
        Output()(*this, true);
        return;
    }
    ReportTemplate layout = LoadTemplate();
    QPrinter printer(QPrinter::HighResolution);
    SetupPage(printer, layout);
    QPrintDialog dialog(&printer);
    dialog.setWindowTitle("打印");
    if (dialog.exec() != QDialog::Accepted) return;
    QTextDocument document;
    Render(document, layout);
    document.print(&printer);
}

void ReportDesign::PrintPreview()
{
    if (Output()) {
        Output()(*this, false);
        return;
    }
    ReportTemplate layout = LoadTemplate();
    QPrinter printer(QPrinter::HighResolution);
    SetupPage(printer, layout);
    QTextDocument document;
    Render(document, layout);
    QPrintPreviewDialog preview(&printer);
    preview.setWindowTitle("打印预览 - " + Expand(layout.title));
    preview.resize(1000, 760);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested,
                     [&document](QPrinter* target) { document.print(target); });
    preview.exec();
}

void ReportDesign::SetOutputHandler(OutputHandler handler)
{
    Output() = std::move(handler);
}

}  // namespace mfg
