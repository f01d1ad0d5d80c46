#include "BomTransfer.h"

#include <istream>
#include <map>
#include <optional>
#include <ostream>

#include <fmt/format.h>

#include "BomStore.h"
#include "BomValidator.h"
#include "GoodsBom.h"
#include "host/Format.h"
#include "host/Host.h"
#include "host/Users.h"
#include "types/TextUtil.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

enum Column { ParentColumn, ComponentColumn, MnfQtyColumn, MasterQtyColumn, WasteRateColumn, ProcessColumn };

struct ImportLine {
    int fileLine = 0;
    std::vector<std::string> fields;
    const std::string& operator[](Column column) const
    {
        static const std::string empty;
        return static_cast<size_t>(column) < fields.size() ? fields[column] : empty;
    }
};

std::optional<int> IdOfCode(const char* table, const char* key, const std::string& code)
{
    auto id = GetValueOfSql(fmt::format("select {} from {} where Code = :code", key, table), {}, {{"code", code}});
    if (id.IsNull()) return std::nullopt;
    return static_cast<int>(id.AsInteger());
}

//! The figures of one file line: what is no number is refused here, a number meets the BOM's
//! rules afterwards, in the words the editor uses.
struct LineFigures {
    double mnfQty = 0;
    double masterQty = 0;
    double wasteRate = 0;
};

LineFigures ReadFigures(const ImportLine& line)
{
    return {ParseUserNumber(line[MnfQtyColumn], "数量", NumberRange::Signed()),
            ParseUserNumber(line[MasterQtyColumn], MasterQtyCaption, NumberRange::Signed()),
            ParseUserNumber(line[WasteRateColumn], "损耗率", NumberRange::Signed())};
}

//! The BOM's rule a line's own figures break; none when they pass.
std::optional<std::string> FigureFault(const LineFigures& figures)
{
    if (!(figures.mnfQty > 0)) return "数量应大于零";
    if (!(figures.wasteRate >= 0 && figures.wasteRate <= 100)) return "损耗率应在0-100之间";
    return std::nullopt;
}

//! Brings one parent's BOM in line with its lines of the file; the reasons it cannot be.
std::vector<std::string> ApplyLines(GoodsBom& bom, const std::vector<ImportLine>& lines)
{
    std::vector<std::string> reasons;
    std::optional<double> masterQty;
    DataSet& set = bom.Lines();
    std::vector<bool> named(static_cast<size_t>(set.RecordCount()), false);
    for (const auto& line : lines) {
        auto refuse = [&](const std::string& why) { reasons.push_back(fmt::format("第 {} 行: {}", line.fileLine, why)); };
        LineFigures figures;
        try {
            figures = ReadFigures(line);
        } catch (const InputError& error) {
            refuse(error.what());
            continue;
        }
        if (!masterQty) {
            // The parent quantity is the parent's: a fault in it is told once, not on every line.
            masterQty = figures.masterQty;
            bom.header.masterQty = HeaderNumberText(*masterQty);
            if (!(*masterQty > 0)) refuse("父件数量不能小于或等于零！");
        } else if (figures.masterQty != *masterQty) {
            refuse("父件数量与本父件的第一行不同");
            continue;
        }
        if (auto fault = FigureFault(figures)) {
            refuse(*fault);
            continue;
        }
        auto component = IdOfCode("L_Goods", "GoodsID", line[ComponentColumn]);
        if (!component) {
            refuse(fmt::format("子件编码 {} 不存在", line[ComponentColumn]));
            continue;
        }
        std::optional<int> process;
        if (!Trim(line[ProcessColumn]).empty()) {
            process = IdOfCode("al_wgcountitem", "COUNTWAGEITEMID", line[ProcessColumn]);
            if (!process) {
                refuse(fmt::format("工序编码 {} 不存在", line[ProcessColumn]));
                continue;
            }
        }
        // Refused lines change nothing: the parent is not written once any line is refused.
        if (!reasons.empty()) continue;
        std::vector<Variant> key{*component, process ? Variant(*process) : Variant()};
        // A second file line of the same pair becomes a line of its own, for the duplicate check to refuse.
        bool existing = set.Locate("ElemGID;COUNTWAGEITEMID", key) && set.RecNo() <= static_cast<int>(named.size()) &&
                        !named[static_cast<size_t>(set.RecNo() - 1)];
        if (existing) {
            named[static_cast<size_t>(set.RecNo() - 1)] = true;
            set.Edit();
        } else {
            bom.AppendLine();
            bom.SetComponent(*component);
            set.FieldByName("COUNTWAGEITEMID").SetValue(process ? Variant(*process) : Variant());
        }
        set.FieldByName("MnfQty").SetValue(figures.mnfQty);
        set.FieldByName("WasteRate").SetValue(figures.wasteRate);
        set.Post();
    }
    if (!reasons.empty()) return reasons;
    // Lines the file no longer names go, the last first so the positions of the others stay.
    for (size_t row = named.size(); row-- > 0;) {
        if (named[row]) continue;
        set.SetRecNo(static_cast<int>(row) + 1);
        bom.DeleteLine();
    }
    return reasons;
}

//! Why a goods of the parent column cannot take a BOM; none when it can.
std::optional<std::string> ParentProblem(const std::string& code, std::optional<int> parent)
{
    if (code.empty()) return "父件编码不能为空";
    if (!parent) return fmt::format("父件编码 {} 不存在", code);
    auto kind = GetValueOfSql("select Kind from L_Goods where GoodsID = " + std::to_string(*parent)).AsInteger();
    if (kind == 2 || kind == 3 || kind == 9) return std::nullopt;
    return fmt::format("父件编码 {}: 当前货品不属于产成品、半成品或虚拟件，不能进行结构清单维护!", code);
}

//! Makes one parent's lines those of the file, or says why not; the parent is held from the reading
//! of its state to the write.
BomImportResult ImportParent(int parent, const std::string& code, const std::vector<ImportLine>& lines)
{
    BomImportResult result{code, static_cast<int>(lines.size())};
    BomHold hold(parent);
    if (ReadBomAuditState(parent) != 0) {
        result.reasons.push_back("物料清单已审核，反审核后才能导入");
        return result;
    }
    GoodsBom bom;
    bom.Load(parent);
    result.reasons = ApplyLines(bom, lines);
    if (!result.reasons.empty()) return result;
    bool refused = false;
    for (const auto& problem : CheckBom(bom)) {
        refused = refused || problem.kind != BomProblemKind::Question;
        result.reasons.push_back(problem.message);
    }
    if (refused) return result;
    if (auto failure = WriteBom(bom)) {
        result.reasons.push_back(*failure);
        return result;
    }
    hold.Commit();
    result.saved = true;
    return result;
}

}  // namespace

bool IsBomCsvHeader(const std::vector<std::string>& record)
{
    auto names = Split(BomCsvHeader, ',');
    if (record.size() != names.size()) return false;
    for (size_t i = 0; i < names.size(); ++i)
        if (!EqualsNoCase(Trim(record[i]), names[i])) return false;
    return true;
}

std::optional<BomImport> ImportBomCsv(std::istream& in)
{
    if (!HasNewPrivilege2(BomFunctionNo, static_cast<int>(PrivKind::Append), true)) return std::nullopt;
    auto records = ReadCsvRecords(in);
    std::vector<std::string> order;
    std::map<std::string, std::vector<ImportLine>> byParent;
    for (size_t i = 0; i < records.size(); ++i) {
        ImportLine line{static_cast<int>(i) + 1, records[i]};
        // Only the very names of the columns make a header: a first line with a slip is data.
        if (i == 0 && IsBomCsvHeader(line.fields)) continue;
        const std::string code{Trim(line[ParentColumn])};
        if (!byParent.contains(code)) order.push_back(code);
        byParent[code].push_back(std::move(line));
    }
    BomImport import;
    std::map<std::string, int> parents;
    for (const auto& code : order) {
        auto parent = IdOfCode("L_Goods", "GoodsID", code);
        if (auto problem = ParentProblem(code, parent)) {
            for (const auto& line : byParent[code])
                import.refusals.push_back(fmt::format("第 {} 行: {}", line.fileLine, *problem));
        } else {
            parents[code] = *parent;
        }
    }
    if (!import.refusals.empty()) return import;
    for (const auto& code : order) import.parents.push_back(ImportParent(parents[code], code, byParent[code]));
    return import;
}

void ExportBomCsv(int parentID, std::ostream& out)
{
    auto lines = CreateAutoQuery(
        "select p.Code ParentCode, g.Code GoodsCode, m.MnfQty, m.MasterQty, m.WasteRate, w.Code ProcCode "
        "from L_GoodsBom m join L_Goods p on p.GoodsID = m.GoodsID left join L_Goods g on g.GoodsID = m.ElemGID "
        "left join al_wgcountitem w on w.COUNTWAGEITEMID = m.COUNTWAGEITEMID where m.GoodsID = " +
            std::to_string(parentID) + " order by m.Orderno, g.Code",
        true);
    out << BomCsvHeader << '\n';
    for (lines->First(); !lines->Eof(); lines->Next()) {
        out << CsvField(lines->FieldByName("ParentCode").AsString()) << ','
            << CsvField(lines->FieldByName("GoodsCode").AsString()) << ','
            << FormatQuantityText(lines->FieldByName("MnfQty").AsFloat()) << ','
            << FormatQuantityText(lines->FieldByName("MasterQty").AsFloat()) << ','
            << FormatQuantityText(lines->FieldByName("WasteRate").AsFloat()) << ','
            << CsvField(lines->FieldByName("ProcCode").AsString()) << '\n';
    }
}

}  // namespace mfg
