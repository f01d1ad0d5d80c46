#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SelectionFilters.h"
#include "SelectionList.h"
#include "TManuRootForm.h"

class QCheckBox;
class QGridLayout;
class QLineEdit;
class QPushButton;

namespace mfg {

class DatePicker;
class DbGrid;
class LookupCombo;

//! The design the two selection dialogs of demand lines share: the filter group "过滤" with the
//! date range, the goods combo and its name and specs, the list with its ticks, sorting
//! titles and the buttons. The caller runs the dialog modally and, on OK, takes the rows whose
//! "selected" is 1.
class TSelectListForm : public TManuRootForm {
public:
    //! The rows the caller walks.
    DataSet& cdsList() { return list.List(); }
    SelectionList& Selection() { return list; }
    //! The goods chosen in the combo; empty for "全部".
    std::optional<int> ChosenGoods() const;

    void btnFilterClick();
    //! A click on a cell: on the "选择" column of a non-empty list it flips the tick.
    void DBGrid1CellClick(int column);
    //! A click on a title other than "选择" sorts by its column.
    void DBGrid1TitleClick(int column);
    //! The goods combo changed: its name and specs, or "全部货品" and "全部".
    void GoodsChange();
    //! Reads the list for the filter group as it stands.
    virtual void Reload() = 0;

    DatePicker* DateTimePicker1;
    DatePicker* DateTimePicker2;
    LookupCombo* goodsCombo;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QPushButton* btnFilter;
    QCheckBox* chkReleased;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btn1;
    QPushButton* btn2;
    QPushButton* btn3;
    DbGrid* DBGrid1;

protected:
    //! `goodsComboName` is the combo's control name, `releasedCaption` the check box's caption.
    TSelectListForm(std::string_view formName, const char* caption, std::string baseSql, const char* goodsComboName,
                    const char* releasedCaption, QWidget* parent);
    ~TSelectListForm() override;

    //! The grid columns after "选择": field and title.
    void AddColumns(const std::vector<std::pair<const char*, const char*>>& columns);
    //! The filter group's grid, for the controls a dialog adds.
    QGridLayout& FilterLayout() { return *filterLayout; }
    //! The date range of the filter group; false, after telling the user, when it is reversed.
    bool DatesInOrder() const;
    //! The dates, the goods and the released lines' tick of the filter group.
    void FillFilter(PlanFilter& filter) const;

private:
    void ShowTitles();

    SelectionList list;
    QGridLayout* filterLayout;
    std::vector<std::string> titles;  // the plain labels, by column
};

//! "选择主生产计划单": audited, open schedule lines.
class TSelectPlanForm : public TSelectListForm {
public:
    explicit TSelectPlanForm(QWidget* parent = nullptr);
    void Reload() override;
};

//! "选择销售订单": lines of audited sales orders of manufactured goods.
class TSelectSOrderForm : public TSelectListForm {
public:
    explicit TSelectSOrderForm(QWidget* parent = nullptr);
    void Reload() override;
    //! Customers of this branch or, with "显示全部分支机构", of every branch.
    void chkShopIDClick();

    LookupCombo* cmbTrade;
    QLineEdit* Edit3;
    QCheckBox* chkShopID;

protected:
    void FormShow() override;
};

}  // namespace mfg
