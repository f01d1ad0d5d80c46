#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mfg {

//! Where a component's unit price comes from (rb1, rb2, rb3).
enum class PriceBasis {
    ReferencePurchase,  //!< "按参考进价计算": PPrice of the base unit
    LastPurchase,       //!< "按最近进价": the latest purchase receipt
    StockCost,          //!< "按当前库存成本价计算": APrice of the goods
};

//! How deep the BOM is read (rb5, rb6).
enum class BomDepth {
    FirstLevel,  //!< "按一级BOM计算": the product's own lines
    LastLevel,   //!< "按末级BOM计算": the leaf materials of the whole tree
};

//! The product being costed (cdsGoodsInfo).
struct CostProduct {
    int goodsId = 0;
    std::string goodsCode;
    std::string goodsName;
    std::string unitName;
    std::string specs;
    double qty = 0;     //!< quantity to cost
    double price = 0;   //!< unit cost
    double amount = 0;  //!< total cost
};

//! One component line (cdsGoodsBom).
struct CostLine {
    int elemGid = 0;
    std::string goodsCode;
    std::string goodsName;
    std::string specs;
    std::string unitName;
    double wasteRate = 0;  //!< percent
    double quantity = 0;   //!< for `qty` products
    double actQty = 0;     //!< quantity with waste
    double price = 0;
    double amount = 0;          //!< material amount
    std::optional<double> amt;  //!< indirect cost entered by the user; none counts as 0
    double sumAmt = 0;          //!< line total
    std::string memo;
    std::optional<double> baseQty;  //!< per one product; none on lines added by hand
};

//! The cost budget of one product: its BOM lines priced by a basis, edited by hand, rolled up into
//! the product's amount and unit price. Nothing is written back to the database.
class CostBudget {
public:
    //! The statement that reads the product's lines for a basis and depth, grouped by component.
    static std::string LinesSql(int goodsId, PriceBasis basis, BomDepth depth);
    //! The statement that reads one component's price for a basis.
    static std::string PriceSql(int componentId, PriceBasis basis);

    //! Chooses the product (0 clears it) and loads its lines by the current basis and depth.
    void SelectProduct(int goodsId);
    //! Reloads the lines from the chosen depth, keeping indirect costs by line position, and
    //! reprices them. False when no product is chosen.
    bool SetDepth(BomDepth value);
    //! Reprices every line by the chosen basis.
    void SetBasis(PriceBasis value);
    //! Scales every BOM line to a new product quantity.
    void SetQty(double value);

    //! Appends an empty line; its component is picked with PickComponent.
    void AddLine();
    //! Deletes a line; ignored for an index out of range.
    void DeleteLine(size_t index);
    //! Puts a component on a line: names, waste and quantity from the product's BOM (one per
    //! product when the component is not in it), then the price.
    void PickComponent(size_t index, int componentId);
    //! The line setters and SetQty refuse a value that is not finite or lies outside the field's
    //! range (negative, a waste rate above 100) with an InputError naming the column, changing nothing.
    void SetLineQuantity(size_t index, double value);
    void SetLineWasteRate(size_t index, double value);
    void SetLinePrice(size_t index, double value);
    void SetLineAmt(size_t index, double value);
    void SetLineMemo(size_t index, std::string value);

    const CostProduct& Product() const { return product; }
    const std::vector<CostLine>& Lines() const { return lines; }
    PriceBasis Basis() const { return basis; }
    BomDepth Depth() const { return depth; }
    bool HasProduct() const { return product.goodsId != 0; }

private:
    void EditLine(size_t index, const std::function<void(CostLine&)>& change);
    void LoadLines();
    void Reprice(CostLine& line) const;
    void PostLine(CostLine& line);
    void Totals();

    CostProduct product;
    std::vector<CostLine> lines;
    PriceBasis basis = PriceBasis::ReferencePurchase;
    BomDepth depth = BomDepth::FirstLevel;
};

}  // namespace mfg
