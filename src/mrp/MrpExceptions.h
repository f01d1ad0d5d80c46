#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "MrpRecords.h"
#include "types/DateTime.h"

namespace mfg {

class DataSet;
class GoodsTexts;
class MrpEngine;
class MrpRowSink;

//! What an exception message asks the planner to look at.
enum class MrpExceptionKind {
    RescheduleIn,   //!< 提前: an open receipt comes after a shortage it could cover
    RescheduleOut,  //!< 推迟: an open receipt comes before it is needed
    Cancel,         //!< 取消: an open receipt is not needed within the horizon
    PastDemand,     //!< 过期需求: demand dated before today
    ShortLeadTime,  //!< 提前期不足: a suggestion whose start or order date was moved up to today
    BelowSafety,    //!< 低于安全库存: projected stock below safety stock after all supply
    Unplanned,      //!< 未计划: demand the run could not plan
};

//! The caption of a kind, as the workbench and the console show it.
std::string_view MrpExceptionCaption(MrpExceptionKind kind);
//! Every kind in the order of the captions above.
std::vector<MrpExceptionKind> MrpExceptionKinds();

//! How many working days a receipt may be early or late before it is named.
struct MrpExceptionThresholds {
    int earlyDays = 0;
    int lateDays = 0;
};

//! One exception message: goods, date, quantity and the document concerned.
struct MrpException {
    MrpExceptionKind kind = MrpExceptionKind::Unplanned;
    std::int32_t goodsid = 0;
    DateTime date;
    double quantity = 0;
    std::string billname;
    std::string billcode;
    std::int32_t itemno = 0;
    std::string text;  //!< what happened, in words
};

//! The exception messages of the engine's last Calculate, read from its netted records without
//! changing them; goods in net-record order, each goods' messages by date. `receipts` are the open
//! orders of the run (MrpEngine::ReadReceiptDocuments), named in the messages about them.
std::vector<MrpException> FindMrpExceptions(const MrpEngine& engine, const std::vector<MrpReceiptDocument>& receipts,
                                            const MrpExceptionThresholds& thresholds);

//! Appends one row per message to `cdsException`: kind (caption), goodsid, goodscode, goodsname,
//! needdate, quantity, billname, billcode, itemno, text; the goods texts read once (GoodsTexts).
void FillMrpExceptionTable(DataSet& cdsException, const std::vector<MrpException>& messages);
//! The rows of FillMrpExceptionTable into a sink, the goods texts from `goods`.
void WriteMrpExceptionRows(MrpRowSink& rows, const std::vector<MrpException>& messages, GoodsTexts& goods);

}  // namespace mfg
