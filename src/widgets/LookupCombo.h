#pragma once

#include <QFrame>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "DbGrid.h"
#include "types/Variant.h"

class QKeyEvent;
class QLineEdit;
class QToolButton;
class QHBoxLayout;

namespace mfg {

//! The look-up combo with a drop-down grid (TQxDBLkupGridCombo). Its value is the key field of the
//! chosen row of the look-up dataset and its text the list field of that row. Typing filters the
//! drop-down by the typed prefix over its text columns, on top of the combo's own filter
//! expression, while the keys stay in the edit: Down and Up move the highlight within the filtered
//! rows, Return takes the highlighted row (with the text cleared: no value), Escape closes the list
//! and shows the value again. The buttons of the drop-down ("新增", "查找", "置空") go to the
//! action handler.
class LookupCombo : public QWidget {
    Q_OBJECT

public:
    //! Receives the combo and the button's text without its trailing '#'.
    using ActionHandler = std::function<void(LookupCombo& combo, const std::string& action)>;

    explicit LookupCombo(QWidget* parent = nullptr);
    ~LookupCombo() override;

    //! The drop-down's rows (a host cache or a query); not owned.
    void SetLookupDataSet(DataSet* dataSet);
    DataSet* LookupDataSet() const { return lookup; }
    //! The field whose value is the combo's value ("GoodsID").
    void SetKeyField(std::string name) { keyField = std::move(name); }
    const std::string& KeyField() const { return keyField; }
    //! The field whose text the combo shows ("Name").
    void SetListField(std::string name) { listField = std::move(name); }
    //! Adds a column of the drop-down grid under the title the user reads ("编码").
    void AddDropDownColumn(std::string fieldName, std::string title, int width = 0);
    //! The field names of the drop-down columns, in order.
    std::vector<std::string> DropDownColumns() const;
    //! The combo's own filter expression (FilterExpression syntax), applied while it drops down.
    void SetDropDownFilter(std::string expression) { dropDownFilter = std::move(expression); }
    const std::string& DropDownFilter() const { return dropDownFilter; }
    //! The buttons of the drop-down, in order ("新增#", "查找#", "置空"); "新增" is kept hidden.
    void SetActionButtons(std::vector<std::string> captions);
    const std::vector<std::string>& ActionButtons() const { return actionCaptions; }
    void SetActionHandler(ActionHandler handler) { actionHandler = std::move(handler); }
    //! Runs a button's action as a click on it would.
    void DoAction(const std::string& caption);

    //! The column-name list the base form prepares ("Code*", "Name*", "Name#").
    std::vector<std::string>& ColumnNames() { return columnNames; }

    //! A number the screen gives the combo (4: a goods combo).
    int Tag() const { return tag; }
    void SetTag(int value) { tag = value; }

    //! The key of the chosen row; null when none is chosen.
    const Variant& Value() const { return value; }
    //! Chooses the row of that key (null clears); fires Changed when the value differs.
    void SetValue(const Variant& key);
    //! The text shown.
    QString Text() const;

    //! Opens the drop-down with the combo's filter and the typed prefix.
    void DropDown(const QString& typed = {});
    void CloseUp();
    bool DroppedDown() const;
    //! The drop-down grid (present once the combo has a look-up dataset).
    DbGrid& DropDownGrid() { return *grid; }
    //! Takes the current row of the drop-down as the value and closes it.
    void ChooseCurrentRow();

signals:
    //! The value changed, by the user or by SetValue.
    void Changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool PopupEvent(QEvent* event);
    //! Handles a key of the edit that belongs to the list; false lets the edit have it.
    bool EditKey(const QKeyEvent& key);
    void MoveHighlight(int key);
    void ApplyFilter(const QString& typed);
    void RestoreFilter();
    void ShowValueText();

    QLineEdit* edit;
    QToolButton* dropButton;
    QFrame* popup;
    DbGrid* grid;
    QHBoxLayout* buttonRow;
    DataSet* lookup = nullptr;
    std::string keyField;
    std::string listField;
    std::string dropDownFilter;
    std::vector<std::string> actionCaptions;
    std::vector<std::string> columnNames;
    ActionHandler actionHandler;
    Variant value;
    int tag = 0;
    bool filterApplied = false;
    std::string savedFilter;
    bool savedFiltered = false;
};

//! The host's preparation of a combo's actions (ComboBoxUtilitys): "置空" clears the value,
//! "查找" drops the list down for searching; "新增" belongs to the host's own screens and is not
//! offered here. `privilegeID` and `mode` are accepted as the host takes them.
void ComboBoxUtilitys(LookupCombo& combo, const std::string& action, int privilegeID, int mode);

}  // namespace mfg
