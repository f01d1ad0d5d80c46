#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/DataSet.h"

namespace mfg {

//! The function number of bills of material in the privilege checks.
inline constexpr int BomFunctionNo = 2047;

//! The goods a component line may name: open purchased, semi-finished, finished and virtual goods.
inline constexpr std::string_view ComponentFilter =
    "(Kind=1 and  Closed = 0) or (Kind = 2 and  Closed = 0) or (Kind = 3 and  Closed = 0) or (kind=9 and  Closed = 0)";

//! The parent-level values above the grids, as the user typed them.
struct BomHeader {
    std::string masterQty;          //!< "父件数量"
    std::string useTime;            //!< "耗用工时", hours
    std::string preTime;            //!< "准备时间", hours
    std::optional<int> workLineID;  //!< "工艺流程"; empty when none is chosen
    std::string workLineName;       //!< the chosen work line's name, for display

    friend bool operator==(const BomHeader&, const BomHeader&) = default;
};

//! The next display order of a set: 1 + the largest numeric `field` ("12a" counts as 0), written
//! with at least three digits ("001", "999", "1000").
std::string NextOrderNo(const DataSet& set, std::string_view field = "Orderno");
//! The next line number of a set: 1 + the largest `field`, 1 for an empty set.
int NextItemNo(const DataSet& set, std::string_view field = "ItemNo");
//! The header field text of a number: general format with 7 significant digits, as the editor shows it.
std::string HeaderNumberText(double value);
//! Captions of the header fields, as the user's messages name them.
inline constexpr std::string_view MasterQtyCaption = "父件数量";
inline constexpr std::string_view UseTimeCaption = "耗用工时";
inline constexpr std::string_view PreTimeCaption = "准备时间";

//! The BOM of one parent goods as the editor holds it: the header and the three row sets of
//! component lines (BomLineSet), process lines (BomProcessSet) and substitutes (BomSubstituteSet).
//! Nothing reaches the database until SaveBom. The editing rules run from the sets' own field
//! events, so a screen, an import and a test that set the same fields get the same lines.
class GoodsBom {
public:
    GoodsBom();
    GoodsBom(const GoodsBom&) = delete;
    GoodsBom& operator=(const GoodsBom&) = delete;

    //! Reads the parent and its BOM and fills the header as the editor opens it (parent quantity 1,
    //! working hours 1 and preparation time 0 for a parent without lines). False, with nothing
    //! read, when the goods does not exist.
    bool Load(int parentID);
    //! Reads the three sets again; pending changes are dropped.
    void Reload();

    int ParentID() const { return parentID; }
    const std::string& ParentCode() const { return parentCode; }
    const std::string& ParentName() const { return parentName; }
    const std::string& ParentSpecs() const { return parentSpecs; }
    const std::string& ParentUnitName() const { return parentUnitName; }

    BomHeader header;

    //! Component lines (L_GoodsBom with goods, unit, process and operator names).
    DataSet& Lines() { return lineSet; }
    //! Process lines (L_GoodsBomProc with process, workshop and work-centre names).
    DataSet& Processes() { return processSet; }
    //! Substitutes of every line (L_GoodsBomsub with goods names and the derived quantity).
    DataSet& Substitutes() { return substituteSet; }

    //! Appends a component line with the new-line defaults and the next numbering; left in Insert.
    void AppendLine();
    //! Sets the current line's component (rule of a component change: goods data, header values,
    //! default substitutes); appends a line when the set is empty.
    void SetComponent(int goodsID);
    //! Sets a number field of the current row of `set` from typed text; text that is no finite
    //! number is refused with ShowError naming `caption` and leaves the field as it was; empty text
    //! clears it. True when the value was taken.
    bool SetNumberText(DataSet& set, std::string_view field, std::string_view caption, std::string_view text);
    //! Deletes the current component line and its substitutes.
    void DeleteLine();
    //! Appends a process line with the next numbering; left in Insert.
    void AppendProcess();
    //! Deletes the current process line and recomputes the header totals.
    void DeleteProcess();
    //! Chooses the header work line: every process line goes, and one comes per step of the line.
    void SetWorkLine(std::optional<int> workLineID);
    //! Writes the totals of the process lines' working hours and preparation time into the header
    //! (a time typed on a line rewrites only its own column's total).
    void UpdateProcessTotals();

    //! Recomputes the derived quantity of every substitute of line `itemNo`.
    void UpdateSubstituteQuantities(int itemNo, double mnfQty, double wasteRate);
    //! Appends the default substitutes of `componentID` (l_goodssub) to line `itemNo`.
    void CopyDefaultSubstitutes(int componentID, int itemNo);
    //! Deletes every substitute of line `itemNo`.
    void DeleteSubstitutesOfLine(int itemNo);
    //! True when line `itemNo` has a substitute.
    bool LineHasSubstitutes(int itemNo) const;
    //! The names of line `itemNo`'s substitutes, each followed by ";" (the "替代品" column).
    std::string SubstituteText(int itemNo) const;

    //! Copies another goods' stored BOM into this one ("读入"): only components not yet on a line
    //! are appended; with `withProcesses` the work line and the process lines are the source's, with
    //! `withSubstitutes` the new lines take the source's substitutes instead of the defaults.
    void CopyFrom(int sourceID, bool withProcesses, bool withSubstitutes);

    //! Gives the current line the header's parent quantity, working hours, preparation time and
    //! work line (none when no work line is chosen), and its Quantity as MnfQty / MasterQty; fields
    //! that already agree are left alone.
    void CopyHeaderToCurrentLine();

    //! Discards the pending changes of the three sets.
    void CancelUpdates();
    //! True when the BOM differs from what was read or last written: a header value, a row being
    //! edited, or a pending change of a set.
    bool Modified() const;
    //! The sets' changes were written: the header as it stands is the stored one.
    void HeaderWritten() { storedHeader = header; }

private:
    void PrepareSets();
    void LineNewRecord();
    void ComponentChanged();
    void MnfQtyChanged();
    void WasteRateChanged();
    void ProcessTimeChanged(Field& field);
    //! The header text of a time column's total over the process lines.
    std::string ProcessTotal(std::string_view field) const;
    void FillSubstituteGoods();
    void ApplyHeaderToLine(bool clearWorkLine);
    void KeepQuantityRatio();
    void SetIfDifferent(Field& field, const Variant& value);

    DataSet lineSet{"BomLineSet"};
    DataSet processSet{"BomProcessSet"};
    DataSet substituteSet{"BomSubstituteSet"};
    int parentID = 0;
    BomHeader storedHeader;
    std::string parentCode, parentName, parentSpecs, parentUnitName;
    std::optional<int> previousComponent;  // of the current line, to tell a change from a re-set
    int lineItemOfPreviousComponent = 0;
    bool fillingNewProcess = false;
};

}  // namespace mfg
