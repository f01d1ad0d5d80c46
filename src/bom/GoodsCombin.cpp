#include "GoodsCombin.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "BomIndex.h"
#include "host/Dialogs.h"
#include "host/Host.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

constexpr const char* OverwriteQuestion = "组装拆卸表中已经有数据，如果重新创建，\n原来的数据将被覆盖，是否要重新创建?";

std::string Condition(int goodsID)
{
    return " where goodsid = " + std::to_string(goodsID);
}

void CopyLines(const std::string& condition)
{
    SqlExecute("delete from l_goodscombin " + condition);
    SqlExecute("insert into l_goodscombin select goodsid,elemgid,quantity,wasterate from l_goodsbom" + condition);
}

void MarkCombinable(const std::string& condition)
{
    SqlExecute("update l_goods set cancmb = 1 " + condition);
}

//! The goods and every goods below it, each once, parents before their components. Shared
//! sub-assemblies are copied once and a cyclic BOM cannot make the copy run forever.
std::vector<int> GoodsOfTree(int goodsID)
{
    BomIndex index;
    index.Read(goodsID, BomReach::Components);
    std::vector<int> order;
    std::unordered_set<int> seen{goodsID};
    std::vector<int> stack{goodsID};
    while (!stack.empty()) {
        int goods = stack.back();
        stack.pop_back();
        order.push_back(goods);
        const auto& components = index.ComponentsOf(goods);
        for (auto line = components.rbegin(); line != components.rend(); ++line)
            if (seen.insert((*line)->componentID).second) stack.push_back((*line)->componentID);
    }
    return order;
}

}  // namespace

void CopyGoodsCombin(int goodsID, CombinDepth depth)
{
    if (depth == CombinDepth::OneLevel) {
        CopyLines(Condition(goodsID));
        return;
    }
    for (int goods : GoodsOfTree(goodsID)) {
        CopyLines(Condition(goods));
        MarkCombinable(Condition(goods));
    }
}

void CopyAllGoodsCombin()
{
    auto parents = CreateAutoQuery("select distinct goodsid from l_goodsbom", true);
    std::vector<int> goods;
    for (parents->First(); !parents->Eof(); parents->Next())
        goods.push_back(static_cast<int>(parents->FieldByName("goodsid").AsInteger()));
    for (int parent : goods) {
        std::string condition = " where goodsid=" + std::to_string(parent);
        CopyLines(condition);
        MarkCombinable(condition);
    }
}

bool CreateGoodsCombin(std::optional<int> goodsID, bool confirmAll)
{
    CombinDepth depth = CombinDepth::WholeTree;
    try {
        std::string condition = goodsID ? Condition(*goodsID) : std::string();
        if (!CreateAutoQuery("select goodsid from l_goodscombin" + condition, true)->IsEmpty()) {
            if (!goodsID && confirmAll && ShowYesNoQuestion(OverwriteQuestion) != AnswerYes) return false;
            if (goodsID) {
                int answer = ShowYesNoCancelQuestion(std::string(OverwriteQuestion) +
                                                     "\n选择'是'拷贝整棵树，选择'否'拷贝单层，选择'取消'不拷贝!");
                if (answer == AnswerCancel) return false;
                if (answer == AnswerNo) depth = CombinDepth::OneLevel;
            }
        }
        if (goodsID)
            CopyGoodsCombin(*goodsID, depth);
        else
            CopyAllGoodsCombin();
    } catch (const std::exception&) {
        ShowWarning("创建组装拆卸表失败!");
        return false;
    }
    RefreshLookupDataSet("qryGoods");
    ShowInformation("创建组装拆卸表成功!");
    return true;
}

}  // namespace mfg
