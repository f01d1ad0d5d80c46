#include "BomValidator.h"

#include <cmath>
#include <optional>
#include <set>
#include <utility>

#include <fmt/format.h>

#include "BomCycleSearch.h"
#include "GoodsBom.h"
#include "host/Dialogs.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "types/TextUtil.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

constexpr int GoodsKind = 3;
constexpr int VirtualKind = 9;

std::optional<int> IdOf(const Field& field)
{
    if (field.IsNull()) return std::nullopt;
    return static_cast<int>(field.AsInteger());
}

//! The kind of a line's component: the line carries it (read with the BOM, set when the component
//! is chosen), and the goods cache, which reads every goods of the factory, is asked only when not.
std::int64_t ComponentKind(DataSet& lines, int component)
{
    const Field* kind = lines.FindField("Kind");
    if (kind && !kind->IsNull()) return kind->AsInteger();
    return LookupData(GoodsKind, component, "Kind").AsInteger();
}

//! The checks of one run; `Report` is false once the sink asked to stop.
class BomChecks {
public:
    BomChecks(GoodsBom& checked, const BomProblemSink& problemSink) : bom(checked), sink(problemSink) {}

    bool Run()
    {
        bool headerUsable = CheckHeader();
        if (!going) return false;
        CheckLines(headerUsable);
        if (!going) return false;
        CheckProcesses();
        if (!going) return false;
        CheckCycle();
        return going;
    }

private:
    bool Report(const char* rule, BomProblemKind kind, std::string message)
    {
        if (going) going = sink({rule, kind, std::move(message)});
        return going;
    }

    //! V1 to V4 on one header number; the value when it is usable.
    std::optional<double> HeaderNumber(const std::string& text, std::string_view caption, const char* emptyRule,
                                       const char* emptyMessage)
    {
        if (Trim(text).empty()) {
            Report(emptyRule, BomProblemKind::Information, emptyMessage);
            return std::nullopt;
        }
        std::string error;
        // The sign has messages of its own (V2, V4); "inf", "nan" and "12元" are refused here.
        auto value = TryParseUserNumber(text, caption, NumberRange::Signed(), &error);
        if (!value) Report(emptyRule, BomProblemKind::Error, error);
        return value;
    }

    bool CheckHeader()
    {
        auto masterQty = HeaderNumber(bom.header.masterQty, MasterQtyCaption, "V1", "父件数量不能为空！");
        if (!going) return false;
        if (masterQty && *masterQty <= 0 && !Report("V2", BomProblemKind::Information, "父件数量不能小于或等于零！"))
            return false;
        auto useTime = HeaderNumber(bom.header.useTime, UseTimeCaption, "V3", "耗用工时不能为空！");
        if (!going) return false;
        auto preTime = HeaderNumber(bom.header.preTime, PreTimeCaption, "V3", "准备时间不能为空！");
        if (!going) return false;
        if (useTime && *useTime < 0 && !Report("V4", BomProblemKind::Information, "耗用工时不能小于零小时！"))
            return false;
        if (preTime && *preTime < 0 && !Report("V4", BomProblemKind::Information, "准备时间不能小于零小时！"))
            return false;
        headerUseTime = useTime.value_or(0);
        headerPreTime = preTime.value_or(0);
        return masterQty && *masterQty > 0 && useTime && *useTime >= 0 && preTime && *preTime >= 0;
    }

    void CheckLines(bool copyHeader)
    {
        DataSet& lines = bom.Lines();
        DataSet& processes = bom.Processes();
        std::set<std::pair<std::optional<int>, std::optional<int>>> seen;
        int row = 0;
        for (lines.First(); !lines.Eof() && going; lines.Next()) {
            ++row;
            auto component = IdOf(lines.FieldByName("ElemGID"));
            auto process = IdOf(lines.FieldByName("COUNTWAGEITEMID"));
            if (Trim(lines.FieldByName("GoodsCode").AsString()).empty() || !component) {
                Report("V5a", BomProblemKind::Information, fmt::format("第 {} 行，还没选择货品！", row));
                continue;
            }
            if (!seen.insert({component, process}).second) {
                Report("V5b", BomProblemKind::Error, "物料明细中不允许存在相同物料、工序的记录!");
                continue;
            }
            if (ComponentKind(lines, *component) == VirtualKind &&
                CreateAutoQuery("Select top 1 1 from l_goodsbom where goodsid =" + std::to_string(*component), true)
                    ->IsEmpty()) {
                Report("V5c", BomProblemKind::Error, "虚拟件不能为末级!");
                continue;
            }
            if (!processes.IsEmpty() && process &&
                processes.Lookup("COUNTWAGEITEMID", {*process}, "COUNTWAGEITEMID").IsNull()) {
                Report("V5d", BomProblemKind::Error, "子件的工序不在父件的工序流程中!");
                continue;
            }
            if (auto problem = LineFigureProblem(lines, copyHeader)) {
                Report("V5e", BomProblemKind::Error, fmt::format("第 {} 行，{}", row, *problem));
                continue;
            }
            if (copyHeader) bom.CopyHeaderToCurrentLine();
        }
    }

    //! The editor refuses such figures as they are typed; a line written by other means (SQL, an
    //! older import) may still hold them, and must not be saved or audited with them. A line's
    //! parent quantity counts only beside a usable header (a wrong header is refused by V1, V2).
    static std::optional<std::string> LineFigureProblem(DataSet& lines, bool headerUsable)
    {
        const Field& mnfQty = lines.FieldByName("MnfQty");
        if (mnfQty.IsNull() || !(mnfQty.AsFloat() > 0) || !std::isfinite(mnfQty.AsFloat())) return "数量应大于零";
        const Field& masterQty = lines.FieldByName("MasterQty");
        if (headerUsable && !masterQty.IsNull() && (!(masterQty.AsFloat() > 0) || !std::isfinite(masterQty.AsFloat())))
            return "父件数量不能小于或等于零！";
        double wasteRate = lines.FieldByName("WasteRate").AsFloat();
        if (!(wasteRate >= 0 && wasteRate <= 100)) return "损耗率应在0-100之间";
        return std::nullopt;
    }

    void CheckProcesses()
    {
        DataSet& processes = bom.Processes();
        std::set<std::pair<std::optional<int>, std::optional<int>>> seen;
        // Summed in single precision, as the header totals are.
        float useTotal = 0, preTotal = 0;
        int row = 0;
        for (processes.First(); !processes.Eof() && going; processes.Next()) {
            ++row;
            auto process = IdOf(processes.FieldByName("COUNTWAGEITEMID"));
            if (processes.FieldByName("code").IsNull() || !process) {
                Report("V7", BomProblemKind::Information, fmt::format("工序列表：第 {} 行，还没选择工序！", row));
                continue;
            }
            if (!seen.insert({process, IdOf(processes.FieldByName("WorkCenterID"))}).second) {
                Report("V8", BomProblemKind::Error, "工序明细中不允许存在相同工序、工作中心的记录!");
                continue;
            }
            useTotal += static_cast<float>(processes.FieldByName("UseTime").AsFloat());
            preTotal += static_cast<float>(processes.FieldByName("PreTime").AsFloat());
        }
        if (!going || processes.IsEmpty()) return;
        if (std::fabs(useTotal - headerUseTime) >= 0.0001 &&
            !Report("V9", BomProblemKind::Question, "总耗用工时不等于各工序耗用工时和,是否继续?"))
            return;
        if (std::fabs(preTotal - headerPreTime) >= 0.0001)
            Report("V10", BomProblemKind::Question, "总准备时间不等于各工序准备时间和,是否继续?");
    }

    void CheckCycle()
    {
        BomChildren children;
        DataSet& lines = bom.Lines();
        for (lines.First(); !lines.Eof(); lines.Next())
            if (auto component = IdOf(lines.FieldByName("ElemGID")))
                children.push_back({*component, lines.FieldByName("GoodsCode").AsString()});
        DataSet& substitutes = bom.Substitutes();
        for (substitutes.First(); !substitutes.Eof(); substitutes.Next())
            if (auto goods = IdOf(substitutes.FieldByName("SubGoodsID")))
                children.push_back({*goods, substitutes.FieldByName("goodscode").AsString()});
        lines.First();
        std::string path = bom.ParentCode();
        if (FindBomCycle(bom.ParentID(), children, path))
            Report("V11", BomProblemKind::Information, "物料清单产生循环引用:\r\n" + path);
    }

    GoodsBom& bom;
    const BomProblemSink& sink;
    bool going = true;
    double headerUseTime = 0;
    double headerPreTime = 0;
};

}  // namespace

bool RunBomChecks(GoodsBom& bom, const BomProblemSink& sink) { return BomChecks(bom, sink).Run(); }

bool ValidateBom(GoodsBom& bom)
{
    return RunBomChecks(bom, [](const BomProblem& problem) {
        switch (problem.kind) {
        case BomProblemKind::Information: ShowInformation(problem.message); return false;
        case BomProblemKind::Error: ShowError(problem.message); return false;
        case BomProblemKind::Question:
            return ShowMessageBox(problem.message, "提示", MessageButtons::YesNo, MessageIcon::Question) == AnswerYes;
        }
        return false;
    });
}

std::vector<BomProblem> CheckBom(GoodsBom& bom)
{
    std::vector<BomProblem> problems;
    RunBomChecks(bom, [&problems](const BomProblem& problem) {
        problems.push_back(problem);
        return true;
    });
    return problems;
}

}  // namespace mfg
