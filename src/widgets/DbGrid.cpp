#include "DbGrid.h"

#include <algorithm>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <stdexcept>

#include "QtDialogs.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

//! Cells with a "…" button at their right edge; a click on the button runs the column's action.
class EllipsisDelegate : public QStyledItemDelegate {
public:
    EllipsisDelegate(DbGrid& grid, std::function<void()> clicked, std::function<QString(int row)> text)
        : QStyledItemDelegate(&grid), grid(grid), clicked(std::move(clicked)), text(std::move(text))
    {
    }

    //! Makes the cell's row current and runs the column's action.
    void Click(const QModelIndex& index)
    {
        grid.setCurrentIndex(index);
        clicked();
    }

    static QRect ButtonRect(const QRect& cell)
    {
        int side = std::min(cell.height(), 22);
        return {cell.right() - side + 1, cell.top() + (cell.height() - side) / 2, side, side};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem cell(option);
        cell.rect.setRight(ButtonRect(option.rect).left() - 1);
        QStyledItemDelegate::paint(painter, cell, index);
        QStyleOptionButton button;
        button.rect = ButtonRect(option.rect);
        button.text = QStringLiteral("…");
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        grid.style()->drawControl(QStyle::CE_PushButton, &button, painter, &grid);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        if (event->type() == QEvent::MouseButtonRelease &&
            ButtonRect(option.rect).contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            Click(index);
            return true;
        }
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (text) option->text = text(index.row());
    }

private:
    DbGrid& grid;
    std::function<void()> clicked;
    std::function<QString(int row)> text;
};

}  // namespace

DbGrid::DbGrid(QWidget* parent) : QTableView(parent), model(this)
{
    setModel(&model);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->setMinimumWidth(28);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setSectionsClickable(true);
    // Columns fit to the first rows; a run of 50,000 suggestions must not be measured whole.
    horizontalHeader()->setResizeContentsPrecision(200);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DbGrid::HeaderClicked);
    connect(&model, &DataSetModel::CursorMoved, this, [this](int row) {
        if (following || row < 0) return;
        int column = std::max(0, currentIndex().column());
        following = true;
        setCurrentIndex(model.index(row, column));
        following = false;
    });
    connect(&model, &QAbstractItemModel::modelReset, this, [this] {
        for (int i = 0; i < model.ColumnCount(); ++i) ApplyColumn(i);
        FitColumns();
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) { SectionResized(section, size); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { CloseColumnControl(); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        DataSet* data = model.GetDataSet();
        if (following || !current.isValid() || !data || !data->Active() || data->RecNo() == current.row() + 1) return;
        following = true;
        try {
            data->SetRecNo(current.row() + 1);
        } catch (const std::exception& error) {
            ShowError(error);
        }
        following = false;
    });
}

void DbGrid::SetDataSet(DataSet* dataSet)
{
    model.SetDataSet(dataSet);
}

DbGridColumn& DbGrid::AddColumn(std::string fieldName, std::string title, int width)
{
    bool selectedColumn = EqualsNoCase(fieldName, "selected");
    DbGridColumn& column = model.AddColumn(std::move(fieldName), std::move(title), width);
    if (selectedColumn) column.checkBox = true;
    int index = model.ColumnCount() - 1;
    ApplyColumn(index);
    if (selectedColumn) horizontalHeader()->moveSection(horizontalHeader()->visualIndex(index), 0);
    return model.Column(index);
}

int DbGrid::ColumnIndex(std::string_view fieldName) const
{
    int index = model.ColumnIndexOf(fieldName);
    if (index < 0)
        throw std::out_of_range("the grid " + objectName().toStdString() + " has no column " + std::string(fieldName));
    return index;
}

DbGridColumn& DbGrid::ColumnByName(std::string_view fieldName)
{
    return model.Column(ColumnIndex(fieldName));
}

void DbGrid::SetColumnVisible(int index, bool visible)
{
    model.Column(index).visible = visible;
    ApplyColumn(index);
}

void DbGrid::SetColumnReadOnly(int index, bool readOnly)
{
    model.Column(index).readOnly = readOnly;
    model.ColumnChanged(index);
}

void DbGrid::SetColumnFormat(int index, NumberFormat format)
{
    model.Column(index).format = format;
    model.ColumnChanged(index);
}

void DbGrid::SetFrozenColumns(int count)
{
    frozenCount = std::max(0, count);
    if (frozenCount > 0 && !frozen) {
        frozen = new QTableView(this);
        frozen->setObjectName(objectName() + "Frozen");
        frozen->setModel(&model);
        frozen->setSelectionModel(selectionModel());
        frozen->setFocusPolicy(Qt::NoFocus);
        frozen->verticalHeader()->hide();
        frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        frozen->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        frozen->setEditTriggers(editTriggers());
        frozen->setAlternatingRowColors(true);
        frozen->setStyleSheet("QTableView { border: none; border-right: 1px solid palette(mid); }");
        frozen->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
        setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        viewport()->stackUnder(frozen);
        connect(frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
                &QAbstractSlider::setValue);
        connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen->verticalScrollBar(),
                &QAbstractSlider::setValue);
        connect(frozen->horizontalHeader(), &QHeaderView::sectionClicked, this, &DbGrid::HeaderClicked);
    }
    UpdateFrozenView();
}

void DbGrid::UpdateFrozenView()
{
    if (!frozen) return;
    frozen->setVisible(frozenCount > 0);
    int width = 0;
    for (int i = 0; i < model.ColumnCount(); ++i) {
        bool shown = i < frozenCount && !isColumnHidden(i);
        frozen->setColumnHidden(i, !shown);
        if (!shown) continue;
        frozen->setColumnWidth(i, columnWidth(i));
        width += columnWidth(i);
    }
    frozen->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), width,
                        viewport()->height() + horizontalHeader()->height());
}

void DbGrid::SectionResized(int section, int size)
{
    if (frozen && section < frozenCount) frozen->setColumnWidth(section, size);
    UpdateFrozenView();
    bool byUser = !sizing && size > 0 && section < model.ColumnCount() && !isColumnHidden(section) &&
                  horizontalHeader()->sectionResizeMode(section) == QHeaderView::Interactive;
    if (byUser) userWidths[ToLowerAscii(model.Column(section).fieldName)] = size;
}

void DbGrid::SetColumnControl(std::string_view fieldName, QWidget* control)
{
    int column = ColumnIndex(fieldName);
    columnControls[column] = control;
    // Over a cell the control stands for the column: a screen reader names it by the title.
    if (control->accessibleName().isEmpty()) control->setAccessibleName(ToQString(model.Column(column).title));
    control->setParent(viewport());
    control->hide();
    control->installEventFilter(this);
    if (QWidget* keys = control->focusProxy()) keys->installEventFilter(this);
}

void DbGrid::CloseColumnControl()
{
    if (!shownControl) return;
    QWidget* control = shownControl;
    shownControl = nullptr;
    control->hide();
    setFocus();
}

void DbGrid::SetColumnButton(std::string_view fieldName, std::function<void()> clicked,
                             std::function<QString(int row)> text)
{
    setItemDelegateForColumn(ColumnIndex(fieldName), new EllipsisDelegate(*this, std::move(clicked), std::move(text)));
}

bool DbGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    auto control = columnControls.find(index.column());
    if (control == columnControls.end() || !index.isValid()) return QTableView::edit(index, trigger, event);
    if (trigger != AllEditTriggers && !(editTriggers() & trigger)) return false;
    if (trigger == SelectedClicked || trigger == CurrentChanged) return false;
    CloseColumnControl();
    QWidget* shown = control->second;
    QRect cell = visualRect(index);
    shown->setGeometry(cell.x(), cell.y(), std::max(cell.width(), 160),
                       std::max(cell.height(), shown->sizeHint().height()));
    shown->show();
    shown->raise();
    shown->setFocus();
    shownControl = shown;
    // The key that opened the control is its first typed character.
    if (event && event->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->text().isEmpty()) {
        auto* key = static_cast<QKeyEvent*>(event);
        QKeyEvent typed(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
        QCoreApplication::sendEvent(shown->focusProxy() ? shown->focusProxy() : shown, &typed);
    }
    return true;
}

bool DbGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (shownControl && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        CloseColumnControl();
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void DbGrid::SetAllowAppend(bool value)
{
    if (!value) {
        appendRow = nullptr;
        return;
    }
    appendRow = [this] {
        if (DataSet* data = model.GetDataSet()) data->Append();
    };
}

bool DbGrid::CanAppend() const
{
    const DataSet* data = model.GetDataSet();
    return appendRow && data && data->Active() && editTriggers() != NoEditTriggers &&
           !(data->State() == DataSetState::Insert && !data->Modified());
}

void DbGrid::AppendRow()
{
    // What an open editor holds belongs to the row above; written later, it would end the new row.
    for (QWidget* editor : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        bool columnControl = std::any_of(columnControls.begin(), columnControls.end(),
                                         [editor](const auto& entry) { return entry.second == editor; });
        if (!editor->isHidden() && !columnControl) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
    CloseColumnControl();
    try {
        appendRow();
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

void DbGrid::keyPressEvent(QKeyEvent* event)
{
    // Down past the last row starts a new one, as in the host's grids.
    const DataSet* data = model.GetDataSet();
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier && CanAppend() &&
        data->RecNo() == data->RecordCount()) {
        AppendRow();
        event->accept();
        return;
    }
    // Ctrl+Enter is the keyboard's click on a cell's "…" button.
    auto* button = dynamic_cast<EllipsisDelegate*>(itemDelegateForColumn(currentIndex().column()));
    bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & Qt::ControlModifier) && button && currentIndex().isValid()) {
        event->accept();
        button->Click(currentIndex());
        return;
    }
    QTableView::keyPressEvent(event);
}

void DbGrid::mousePressEvent(QMouseEvent* event)
{
    CloseColumnControl();
    QPoint at = event->position().toPoint();
    int below = model.rowCount() == 0 ? 0 : rowViewportPosition(model.rowCount() - 1) + rowHeight(model.rowCount() - 1);
    if (event->button() == Qt::LeftButton && !indexAt(at).isValid() && at.y() >= below && CanAppend()) {
        AppendRow();
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void DbGrid::scrollContentsBy(int dx, int dy)
{
    // The look-up being typed into moves with its cell.
    if (shownControl) shownControl->move(shownControl->pos() + QPoint(dx, dy));
    QTableView::scrollContentsBy(dx, dy);
}

void DbGrid::SetUserColumnWidth(std::string_view fieldName, int width)
{
    int index = model.ColumnIndexOf(fieldName);
    if (index < 0 || width <= 0) return;
    userWidths[ToLowerAscii(fieldName)] = width;
    sizing = true;
    setColumnWidth(index, width);
    sizing = false;
}

void DbGrid::FitColumns()
{
    // Wide enough for the title and the rows in sight, but a long remark never pushes the
    // columns after it out of the window.
    constexpr int widest = 280;
    if (shownControl) return;  // not under a look-up being typed into; the next fit comes
    sizing = true;
    for (int i = 0; i < model.ColumnCount(); ++i) {
        const DbGridColumn& column = model.Column(i);
        if (column.checkBox || isColumnHidden(i) ||
            horizontalHeader()->sectionResizeMode(i) != QHeaderView::Interactive)
            continue;
        if (auto user = userWidths.find(ToLowerAscii(column.fieldName)); user != userWidths.end()) {
            setColumnWidth(i, user->second);
            continue;
        }
        int contents = std::max(sizeHintForColumn(i), horizontalHeader()->sectionSizeHint(i));
        setColumnWidth(i, std::max(column.width, std::min(contents + 8, widest)));
    }
    sizing = false;
    UpdateFrozenView();
}

void DbGrid::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    FitColumns();
}

void DbGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    UpdateFrozenView();
}

void DbGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    // A frozen column is always in sight; scrolling to it would push the others away.
    if (index.column() >= frozenCount) QTableView::scrollTo(index, hint);
}

void DbGrid::ApplyColumn(int index)
{
    const DbGridColumn& column = model.Column(index);
    sizing = true;
    setColumnHidden(index, !column.visible);
    if (auto user = userWidths.find(ToLowerAscii(column.fieldName)); user != userWidths.end())
        setColumnWidth(index, user->second);
    else if (column.width > 0)
        setColumnWidth(index, column.width);
    else if (column.checkBox)
        setColumnWidth(index, 36);
    if (column.checkBox) horizontalHeader()->setSectionResizeMode(index, QHeaderView::Fixed);
    sizing = false;
}

int DbGrid::CurrentColumn() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

void DbGrid::SetCurrentColumn(int index)
{
    int row = std::max(0, currentIndex().row());
    setCurrentIndex(model.index(row, index));
}

std::string DbGrid::SelectedField() const
{
    int column = CurrentColumn();
    return column < 0 ? std::string() : model.Column(column).fieldName;
}

void DbGrid::SetSortMarker(int column, Qt::SortOrder order)
{
    horizontalHeader()->setSortIndicatorShown(column >= 0);
    horizontalHeader()->setSortIndicator(column, order);
}

int DbGrid::SortMarkerColumn() const
{
    return horizontalHeader()->isSortIndicatorShown() ? horizontalHeader()->sortIndicatorSection() : -1;
}

void DbGrid::HeaderClicked(int section)
{
    emit TitleClick(section);
    if (!sortOnTitleClick || model.Column(section).checkBox || !model.GetDataSet()) return;
    Qt::SortOrder order = model.SortColumn() == section && model.SortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                                                   : Qt::AscendingOrder;
    model.sort(section, order);
    SetSortMarker(section, order);
}

}  // namespace mfg
