#pragma once

#include <initializer_list>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QHBoxLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QWidget;

namespace mfg {

class DataSet;
class DbGrid;
class LookupCombo;

//! Field and caption of each column of a grid, in order.
using ColumnList = std::vector<std::pair<const char*, const char*>>;

//! A named push button.
QPushButton* NewButton(QWidget* parent, const char* name, const char* caption);
//! A named check box, ticked or not.
QCheckBox* NewBox(QWidget* parent, const char* name, const char* caption, bool checked);
//! A named entry of a context menu.
QAction* NewAction(QMenu* menu, const char* name, const char* caption);
//! A named read-only box that shows the name or specs of the goods filtered on.
QLineEdit* NewLabelEdit(QWidget* parent, const char* name);
//! The goods combo with the name and specs of its goods after it, each after its label.
void AddGoodsFilter(QHBoxLayout& row, QWidget* page, LookupCombo* combo, QLineEdit* name, QLineEdit* specs);
//! The period radio buttons "日", "周", "月" of a page, month chosen, after the label "工作历: ".
void AddPeriodButtons(QHBoxLayout& row, QWidget* page, QRadioButton*& day, QRadioButton*& week, QRadioButton*& month,
                      const char* dayName, const char* weekName, const char* monthName);
//! The period the day and week buttons choose, month when neither is checked.
int PeriodOf(const QRadioButton& day, const QRadioButton& week);
//! Checks the button of `period`; month for any period but day and week.
void CheckPeriod(QRadioButton& day, QRadioButton& week, QRadioButton& month, int period);
//! The goods columns (code, name, specs, unit) between an optional first column and `after`.
ColumnList GoodsAnd(std::initializer_list<std::pair<const char*, const char*>> after, const char* first = nullptr,
                    const char* firstLabel = nullptr);
//! A read-only grid of a result dataset, numbers in the host's formats.
DbGrid* NewResultGrid(QWidget* page, const char* name, DataSet& data, const ColumnList& columns);
//! The goods combo that filters a result page, listing the goods of the run.
LookupCombo* NewGoodsFilter(QWidget* page, const char* name, DataSet& goods);

}  // namespace mfg
