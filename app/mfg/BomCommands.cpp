// The bill-of-material commands: checking, auditing, importing and exporting the stored BOMs, and
// the browsers' trees with their exports.
#include <fstream>
#include <iostream>
#include <memory>

#include <fmt/format.h>

#include "BomStore.h"
#include "BomTransfer.h"
#include "BomTree.h"
#include "BomTreeExport.h"
#include "BomValidator.h"
#include "ConsoleSession.h"
#include "ConsoleTable.h"
#include "GoodsBom.h"

#ifdef MFG_CONSOLE_PRINT
#include <QApplication>

#include <filesystem>

#include "host/FileReplace.h"
#include "LookupCombo.h"
#include "ReportDesign.h"
#include "TGoodsBomForm.h"
#endif

namespace mfg {
namespace {

//! The goods of a code, or an error on the error stream.
std::optional<int> GoodsOfCode(const std::string& code)
{
    auto id = GetValueOfSql("select GoodsID from L_Goods where Code = :code", {}, {{"code", code}});
    if (id.IsNull()) {
        std::cerr << fmt::format("货品编码 {} 不存在。\n", code);
        return std::nullopt;
    }
    return static_cast<int>(id.AsInteger());
}

//! A message on one line of the terminal: the editor's boxes break the cycle path onto a line of its own.
std::string OneLine(std::string text)
{
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n")) text.replace(at, 2, " ");
    return text;
}

//! Loads a BOM with the header as stored, so that the check sees the figures the lines hold.
bool LoadStored(GoodsBom& bom, int parentID)
{
    if (!bom.Load(parentID)) return false;
    DataSet& lines = bom.Lines();
    if (lines.IsEmpty()) return true;
    lines.First();
    bom.header.masterQty = HeaderNumberText(lines.FieldByName("MasterQty").AsFloat());
    bom.header.useTime = HeaderNumberText(lines.FieldByName("UseTime").AsFloat());
    bom.header.preTime = HeaderNumberText(lines.FieldByName("PreTime").AsFloat());
    return true;
}

int RunCheck(const Session& session, const std::string& code)
{
    ConsoleHost console(session);
    if (!console.Permitted(BomFunctionNo, PrivKind::Browse)) return 2;
    auto parent = GoodsOfCode(code);
    if (!parent) return 2;
    GoodsBom bom;
    LoadStored(bom, *parent);
    auto problems = CheckBom(bom);
    if (auto mixed = MixedAuditProblem(*parent)) problems.push_back({"审核", BomProblemKind::Error, *mixed});
    for (const auto& problem : problems) {
        std::cout << fmt::format("{} {}: {}\n", code, problem.rule, OneLine(problem.message));
    }
    if (problems.empty()) {
        std::cout << fmt::format("{} {}: 物料清单检查通过, 共 {} 行子件, {} 行工序。\n", code, bom.ParentName(),
                                 bom.Lines().RecordCount(), bom.Processes().RecordCount());
        return 0;
    }
    std::cout << fmt::format("{} {}: 发现 {} 个问题。\n", code, bom.ParentName(), problems.size());
    return 1;
}

int RunAudit(const Session& session, const std::string& code, bool audit)
{
    ConsoleHost console(session);
    auto parent = GoodsOfCode(code);
    if (!parent) return 2;
    if (console.host.GetValueOfSql("select count(*) from L_GoodsBom where GoodsID = " + std::to_string(*parent))
            .AsInteger() == 0) {
        std::cerr << fmt::format("{} 没有物料清单。\n", code);
        return 2;
    }
    bool done = false;
    if (audit) {
        // Held from the load on, so that what is checked and audited is what another user left.
        BomHold hold(*parent);
        GoodsBom bom;
        LoadStored(bom, *parent);
        done = AuditBom(bom);
        if (done) hold.Commit();
    } else {
        done = UnauditBom(*parent);
    }
    if (!done) return 1;
    std::cout << fmt::format("{} 的物料清单已{}。\n", code, audit ? "审核" : "反审核");
    return 0;
}

int RunImport(const Session& session, const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << fmt::format("不能打开文件 {}\n", file);
        return 2;
    }
    ConsoleHost console(session);
    if (!console.Permitted(BomFunctionNo, PrivKind::Append)) return 2;
    auto imported = ImportBomCsv(in);
    if (!imported) return 3;
    if (!imported->refusals.empty()) {
        std::cout << "导入被拒绝, 没有写入任何物料清单:\n";
        for (const auto& refusal : imported->refusals) std::cout << "  " << refusal << '\n';
        return 1;
    }
    const auto& results = imported->parents;
    int refused = 0;
    for (const auto& result : results) {
        if (!result.saved) ++refused;
        std::cout << fmt::format("{}: {} 行, {}\n", result.parentCode, result.lines,
                                 result.saved ? "已保存" : "未导入");
        for (const auto& reason : result.reasons) std::cout << "  " << OneLine(reason) << '\n';
    }
    std::cout << fmt::format("共 {} 个父件, 保存 {} 个, 拒绝 {} 个。\n", results.size(), results.size() - refused,
                             refused);
    return refused == 0 ? 0 : 1;
}

int RunExport(const Session& session, const std::string& code, bool json)
{
    ConsoleHost console(session);
    if (!console.Permitted(BomFunctionNo, PrivKind::Export)) return 2;
    auto parent = GoodsOfCode(code);
    if (!parent) return 2;
    if (!json) {
        ExportBomCsv(*parent, std::cout);
        return 0;
    }
    Connection& db = console.host.DBStartup();
    const std::string id = std::to_string(*parent);
    nlohmann::json document{
        {"parent", code},
        {"state", ReadBomAuditState(*parent)},
        {"lines", ToJson(db.Query("select g.Code as GoodsCode, g.Name as GoodsName, m.* from L_GoodsBom m left join "
                                  "L_Goods g on g.GoodsID = m.ElemGID where m.GoodsID = " +
                                  id + " order by m.Orderno"))},
        {"processes",
         ToJson(db.Query("select w.Code as ProcCode, w.Name as ProcName, m.* from L_GoodsBomProc m left "
                         "join al_wgcountitem w on w.COUNTWAGEITEMID = m.COUNTWAGEITEMID where m.GoodsID = " +
                         id + " order by m.Orderno"))},
        {"substitutes",
         ToJson(db.Query("select g.Code as GoodsCode, g.Name as GoodsName, m.* from L_GoodsBomsub m left "
                         "join L_Goods g on g.GoodsID = m.SubGoodsID where m.GoodsID = " +
                         id + " order by m.GoodsItemNO, m.ItemNo"))},
    };
    std::cout << JsonText(document, 2) << '\n';
    return 0;
}

//! Writes a browsed tree, a node a line indented by its level, or as JSON; the level-limit message
//! goes to the error stream and makes the exit code 1.
int PrintTree(const BomTree& tree, bool json)
{
    if (json) {
        nlohmann::json nodes = nlohmann::json::array();
        for (const BomTreeNode& node : tree.nodes)
            nodes.push_back({{"level", node.level},
                             {"code", node.code},
                             {"name", node.name},
                             {"specs", node.specs},
                             {"quantity", node.mnfQty},
                             {"unit", node.unitName},
                             {"wasteRate", node.wasteRate}});
        std::cout << JsonText(nlohmann::json{{"overflow", tree.overflow}, {"nodes", nodes}}, 2) << '\n';
    } else {
        for (const BomTreeNode& node : tree.nodes)
            std::cout << fmt::format("{:>2} {}{}\n", node.level,
                                     std::string(2 * static_cast<std::size_t>(node.level), ' '), node.text);
    }
    if (!tree.overflow) return 0;
    std::cerr << BomOverflowMessage << '\n';
    return 1;
}

//! The browser's tree of a goods: for its BOM's stated parent quantity, as the screen opens it, or
//! for `quantity` when one is given.
BomTree BrowseTree(const BomBrowseHeader& header, std::optional<double> quantity)
{
    BomIndex index;
    index.Read(header.goodsID, BomReach::Components);
    if (quantity) return BuildBomTree(index, header.goods, *quantity, FloatText(*quantity), true);
    return BuildBomTree(index, header.goods, header.RootQuantity(), header.MasterQtyText());
}

int RunTree(const Session& session, const std::string& code, bool json, std::optional<double> quantity)
{
    ConsoleHost console(session);
    if (!console.Permitted(BomFunctionNo, PrivKind::Browse)) return 2;
    auto parent = GoodsOfCode(code);
    if (!parent) return 2;
    return PrintTree(BrowseTree(*ReadBomBrowseHeader(*parent), quantity), json);
}

int RunWhereUsed(const Session& session, const std::string& code, bool json)
{
    ConsoleHost console(session);
    if (!console.Permitted(BomFunctionNo, PrivKind::Browse)) return 2;
    auto goods = GoodsOfCode(code);
    if (!goods) return 2;
    BomIndex index;
    index.Read(*goods, BomReach::Parents);
    return PrintTree(BuildWhereUsedTree(index, *ReadBomGoods(*goods)), json);
}

int RunExportTree(const Session& session, const std::string& code, const std::string& file)
{
    ConsoleHost console(session);
    if (!console.Permitted(BomFunctionNo, PrivKind::Export)) return 2;
    auto parent = GoodsOfCode(code);
    if (!parent) return 2;
    auto header = ReadBomBrowseHeader(*parent);
    BomTree tree = BrowseTree(*header, std::nullopt);
    DataSet rows;
    FlattenBomTree(tree, rows);
    try {
        OutToExcelFun(rows, BomTreeExportTitle(*header), file, BomTreeExportColumns());
    } catch (const ExportError& error) {
        std::cerr << error.what() << '\n';
        return 2;
    }
    std::cout << fmt::format("已导出 {} 行到 {}\n", rows.RecordCount(), file);
    if (tree.overflow) std::cerr << BomOverflowMessage << '\n';
    return tree.overflow ? 1 : 0;
}

#ifdef MFG_CONSOLE_PRINT
//! Prints the BOM browser's tree of a goods with the standard template to a PDF file: the screen
//! itself prints, offscreen, so the console's print is the one the user gets from the screen.
int RunPrint(const Session& session, const std::string& code, const std::string& file)
{
    ConsoleHost console(session);
    if (!console.Permitted(BomFunctionNo, PrivKind::Print)) return 2;
    auto parent = GoodsOfCode(code);
    if (!parent) return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "mfg";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    CheckOutputFile(file);
    std::filesystem::remove(file);
    ReportDesign::SetOutputHandler([&file](ReportDesign& report, bool) { report.ExportPdf(file); });
    {
        TGoodsBomForm form;
        form.cmbSelGoods->SetValue(*parent);
        form.RptStyleCB->SetValue(form.RptStyleCB->Tag());
        form.PrintClick(true);
    }
    ReportDesign::SetOutputHandler({});
    if (!std::filesystem::exists(file)) return 1;
    std::cout << fmt::format("已打印到 {}\n", file);
    return 0;
}
#endif

struct BomOptions {
    std::string code, file;
    bool csv = false, json = false;
    std::optional<double> quantity;
};

}  // namespace

void AddBomCommands(const CommandLine& line)
{
    auto options = std::make_shared<BomOptions>();
    const Session& session = line.session;
    auto* bom = line.app.add_subcommand("bom", "物料清单");
    bom->require_subcommand(1);

    auto* check = bom->add_subcommand("check", "检查已存的物料清单, 列出全部问题 (有问题时退出码非零)");
    check->add_option("code", options->code, "父件编码")->required();
    line.OnChosen(check, [&session, options] { return RunCheck(session, options->code); });

    auto* audit = bom->add_subcommand("audit", "保存检查后审核物料清单");
    audit->add_option("code", options->code, "父件编码")->required();
    line.OnChosen(audit, [&session, options] { return RunAudit(session, options->code, true); });

    auto* unaudit = bom->add_subcommand("unaudit", "反审核物料清单");
    unaudit->add_option("code", options->code, "父件编码")->required();
    line.OnChosen(unaudit, [&session, options] { return RunAudit(session, options->code, false); });

    auto* import =
        bom->add_subcommand("import", "从 CSV 导入子件 (父件,子件,数量,父件数量,损耗率,工序), 逐父件检查保存");
    import->add_option("file", options->file, "CSV 文件")->required();
    line.OnChosen(import, [&session, options] { return RunImport(session, options->file); });

    auto* exportCommand = bom->add_subcommand("export", "导出物料清单");
    exportCommand->add_option("code", options->code, "父件编码")->required();
    auto* csv = exportCommand->add_flag("--csv", options->csv, "CSV, 与导入的格式相同 (默认)");
    exportCommand->add_flag("--json", options->json, "JSON: 子件、工序与替代品")->excludes(csv);
    line.OnChosen(exportCommand, [&session, options] { return RunExport(session, options->code, options->json); });

    auto* tree = bom->add_subcommand("tree", "展开产品结构清单: 每个节点的级次、编码、品名、数量、单位");
    tree->add_option("code", options->code, "产品编码")->required();
    tree->add_flag("--json", options->json, "以 JSON 输出");
    AddNumberOption(tree, "--qty", options->quantity, ArgumentCaption("产品数量", "--qty"), NumberRange::Positive(),
                    "按此产品数量展开 (默认父件数量)");
    line.OnChosen(tree,
                  [&session, options] { return RunTree(session, options->code, options->json, options->quantity); });

    auto* whereUsed = bom->add_subcommand("where-used", "逆向展开: 哪些父件 (逐层向上) 用到这个货品");
    whereUsed->add_option("code", options->code, "货品编码")->required();
    whereUsed->add_flag("--json", options->json, "以 JSON 输出");
    line.OnChosen(whereUsed, [&session, options] { return RunWhereUsed(session, options->code, options->json); });

    auto* exportTree = bom->add_subcommand("export-tree", "把产品结构清单导出为 Excel 工作簿");
    exportTree->add_option("code", options->code, "产品编码")->required();
    exportTree->add_option("--xlsx", options->file, ".xlsx 文件")->required();
    line.OnChosen(exportTree, [&session, options] { return RunExportTree(session, options->code, options->file); });

#ifdef MFG_CONSOLE_PRINT
    auto* print = bom->add_subcommand("print", "用标准样式把产品结构清单打印为 PDF");
    print->add_option("code", options->code, "产品编码")->required();
    print->add_option("--pdf", options->file, "PDF 文件")->required();
    line.OnChosen(print, [&session, options] { return RunPrint(session, options->code, options->file); });
#endif
}

}  // namespace mfg
