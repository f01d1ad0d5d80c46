#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/DataSet.h"

namespace mfg {

//! The filter group of the goods picker; blank texts and an empty type do not narrow the list.
struct GoodsPickFilter {
    std::string code;                //!< GoodsCodeED, the start of the goods code
    std::string name;                //!< GoodsNameED, the start of the name
    std::string specs;               //!< SpecsED, the start of the specs (规格)
    std::optional<int> goodsTypeId;  //!< GoodsType, a type and all its sub-types; empty: "全部"
    std::string phonetic;            //!< PYFindGoodsEdit, phonetic initials of the name
};

//! Where the picker's add mode puts the goods: the component lines of a BOM (elemgid, MnfQty) or
//! the substitutes of a line (subgoodsid, quantity).
enum class PickTarget { BomLines, Substitutes };

//! True when the name starts with the typed text, each typed character matching the name's
//! character at its place either itself (case ignored) or, for a Chinese character, by its
//! phonetic initial: "SD" and "sd" match "山地自行车", "A1" matches "a1螺栓". A text longer than the
//! name never matches.
bool MatchesPhoneticInitials(std::string_view typed, std::string_view name);

//! The manufactured-goods picker ("选择货品") without its controls: the open goods of kinds up to
//! 3 and 9 with their base unit, narrowed by the filter group and by an extra condition of the
//! caller.
class PickManuGoods {
public:
    //! `extraCondition` is T-SQL text of the caller, appended as " And " text when not blank.
    explicit PickManuGoods(std::string extraCondition = {});

    //! The list, qryGoods: goodsid, goodscode, goodsname, specs, unitname.
    DataSet& Goods() { return qryGoods; }
    //! The goods types for the type list, in code order: name and gdtypeid.
    static std::vector<std::pair<std::string, int>> GoodsTypes();
    //! The statement of a reload for `filter`; user texts go in quoted.
    std::string ListSql(const GoodsPickFilter& filter) const;
    //! Reads the list again and applies the phonetic filter; a failure leaves it closed, silently.
    void Reload(const GoodsPickFilter& filter);
    //! The goods of the current row; 0 on an empty list.
    int GoodsID() const;
    //! False, after telling the user, when there is no goods to choose.
    bool CanChoose();
    //! Add mode: appends the current goods to `target` with the quantity typed, when it is a
    //! number other than 0. Past the last row the user is told that every goods was added.
    void AddTo(DataSet& target, PickTarget kind, std::string_view quantityText);

private:
    std::string extraCondition;
    std::string phonetic;
    DataSet qryGoods{"qryGoods"};
};

}  // namespace mfg
