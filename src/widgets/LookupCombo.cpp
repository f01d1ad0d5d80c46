#include "LookupCombo.h"

#include <algorithm>

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "QtDialogs.h"
#include "ScreenHost.h"
#include "host/Dialogs.h"

namespace mfg {
namespace {

std::string WithoutMark(const std::string& caption)
{
    return !caption.empty() && caption.back() == '#' ? caption.substr(0, caption.size() - 1) : caption;
}

std::string QuotedPrefix(const QString& typed)
{
    std::string text = ToStdString(typed);
    std::string quoted = "'";
    for (char c : text) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    return quoted + "*'";
}

}  // namespace

LookupCombo::LookupCombo(QWidget* parent)
    : QWidget(parent), edit(new QLineEdit(this)), dropButton(new QToolButton(this)), popup(new QFrame(edit, Qt::Popup))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(edit);
    layout->addWidget(dropButton);
    edit->setObjectName("edit");
    dropButton->setObjectName("dropButton");
    dropButton->setArrowType(Qt::DownArrow);
    dropButton->setAccessibleName("下拉列表");
    dropButton->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(edit);

    // The open list never takes the keyboard: what is typed goes on into the edit and narrows the
    // list, and the arrows move its highlight from there.
    popup->setObjectName("dropDown");
    popup->setFrameShape(QFrame::StyledPanel);
    popup->setFocusPolicy(Qt::NoFocus);
    auto* popupLayout = new QVBoxLayout(popup);
    popupLayout->setContentsMargins(2, 2, 2, 2);
    grid = new DbGrid(popup);
    grid->setObjectName("dropDownGrid");
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->SetSortOnTitleClick(false);
    popupLayout->addWidget(grid);
    buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    popupLayout->addLayout(buttonRow);
    popup->resize(480, 260);

    connect(dropButton, &QToolButton::clicked, this, [this] { DroppedDown() ? CloseUp() : DropDown(); });
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) { DropDown(text); });
    connect(grid, &QAbstractItemView::clicked, this, [this] { ChooseCurrentRow(); });
    edit->installEventFilter(this);
    popup->installEventFilter(this);
}

bool LookupCombo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == popup) return PopupEvent(event);
    if (watched != edit) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        // A code typed into a cell or a field that holds one replaces it.
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason)
            edit->selectAll();
    }
    if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        CloseUp();
    return event->type() == QEvent::KeyPress && EditKey(*static_cast<QKeyEvent*>(event));
}

bool LookupCombo::PopupEvent(QEvent* event)
{
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::InputMethod:
        case QEvent::InputMethodQuery:
            // The window system gives an open pop-up the keyboard and the input method; both
            // belong to the edit.
            QCoreApplication::sendEvent(edit, event);
            return true;
        case QEvent::Hide:
            // Closed by a click elsewhere as well as by a choice: the shared list shows all its rows
            // again, and the edit what the value is.
            RestoreFilter();
            ShowValueText();
            return false;
        default:
            return false;
    }
}

bool LookupCombo::EditKey(const QKeyEvent& key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (key.key()) {
        case Qt::Key_F4:
            DroppedDown() ? CloseUp() : DropDown();
            return true;
        case Qt::Key_Down:
        case Qt::Key_Up:
        case Qt::Key_PageDown:
        case Qt::Key_PageUp:
            if (!DroppedDown()) {
                if (key.key() != Qt::Key_Down) return false;
                DropDown();
                return true;
            }
            MoveHighlight(key.key());
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!DroppedDown()) return false;
            if (edit->text().isEmpty()) {
                CloseUp();
                SetValue(Variant());
            } else {
                ChooseCurrentRow();
            }
            return true;
        case Qt::Key_Escape:
            if (!DroppedDown()) return false;
            CloseUp();
            return true;
        default:
            return false;
    }
}

void LookupCombo::MoveHighlight(int key)
{
    if (!lookup || !lookup->Active() || lookup->IsEmpty()) return;
    int page = std::max(1, grid->viewport()->height() / std::max(1, grid->verticalHeader()->defaultSectionSize()) - 1);
    int distance = key == Qt::Key_Down ? 1 : key == Qt::Key_Up ? -1 : key == Qt::Key_PageDown ? page : -page;
    lookup->SetRecNo(std::clamp(lookup->RecNo() + distance, 1, lookup->RecordCount()));
}

void LookupCombo::hideEvent(QHideEvent* event)
{
    CloseUp();
    QWidget::hideEvent(event);
}

LookupCombo::~LookupCombo()
{
    RestoreFilter();
}

void LookupCombo::SetLookupDataSet(DataSet* dataSet)
{
    RestoreFilter();
    lookup = dataSet;
    grid->SetDataSet(dataSet);
    ShowValueText();
}

void LookupCombo::AddDropDownColumn(std::string fieldName, std::string title, int width)
{
    grid->AddColumn(std::move(fieldName), std::move(title), width);
}

std::vector<std::string> LookupCombo::DropDownColumns() const
{
    std::vector<std::string> names;
    for (int i = 0; i < grid->ColumnCount(); ++i) names.push_back(grid->Column(i).fieldName);
    return names;
}

void LookupCombo::SetActionButtons(std::vector<std::string> captions)
{
    actionCaptions = std::move(captions);
    while (buttonRow->count() > 1) {
        QLayoutItem* item = buttonRow->takeAt(1);
        delete item->widget();
        delete item;
    }
    for (const auto& caption : actionCaptions) {
        auto* button = new QPushButton(ToQString(WithoutMark(caption)), popup);
        button->setObjectName(ToQString(WithoutMark(caption)));
        button->setFocusPolicy(Qt::NoFocus);
        buttonRow->addWidget(button);
        // Creating goods, work lines or workshops belongs to the host's own screens, which this
        // desktop does not have: a button that does nothing is not offered.
        button->setVisible(WithoutMark(caption) != "新增");
        connect(button, &QPushButton::clicked, this, [this, caption] { DoAction(caption); });
    }
}

void LookupCombo::DoAction(const std::string& caption)
{
    std::string action = WithoutMark(caption);
    CloseUp();
    if (actionHandler)
        actionHandler(*this, action);
    else
        ComboBoxUtilitys(*this, action, 0, -1);
}

void LookupCombo::SetValue(const Variant& key)
{
    bool changed = !(key == value);
    value = key;
    ShowValueText();
    if (changed) emit Changed();
}

QString LookupCombo::Text() const
{
    return edit->text();
}

void LookupCombo::ShowValueText()
{
    if (value.IsNull() || !lookup || !lookup->Active() || keyField.empty()) {
        if (value.IsNull()) edit->clear();
        return;
    }
    Variant text = lookup->Lookup(keyField, {value}, listField.empty() ? keyField : listField);
    edit->setText(ToQString(text.AsString()));
}

void LookupCombo::ApplyFilter(const QString& typed)
{
    if (!lookup || !lookup->Active()) return;
    if (!filterApplied) {
        savedFilter = lookup->Filter();
        savedFiltered = lookup->Filtered();
        filterApplied = true;
    }
    std::string expression = dropDownFilter;
    if (!typed.isEmpty()) {
        std::string typedPart;
        for (const auto& name : DropDownColumns()) {
            const Field* field = lookup->FindField(name);
            if (!field || field->DataType() != FieldType::Text) continue;
            typedPart += (typedPart.empty() ? "" : " or ") + ("[" + field->Name() + "] = " + QuotedPrefix(typed));
        }
        if (!typedPart.empty())
            expression = expression.empty() ? typedPart : "(" + expression + ") and (" + typedPart + ")";
    }
    try {
        lookup->SetFilterOptions({.caseInsensitive = true});
        lookup->SetFilter(expression);
        lookup->SetFiltered(!expression.empty());
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

void LookupCombo::RestoreFilter()
{
    if (!filterApplied || !lookup) return;
    filterApplied = false;
    lookup->SetFilter(savedFilter);
    lookup->SetFiltered(savedFiltered);
}

void LookupCombo::DropDown(const QString& typed)
{
    if (!lookup) return;
    ApplyFilter(typed);
    if (!popup->isVisible()) {
        popup->resize(std::max(width(), 480), 260);
        PlacePopup(*popup, QRect(mapToGlobal(QPoint(0, 0)), size()));
        popup->show();
    }
    if (!value.IsNull() && typed.isEmpty()) lookup->Locate(keyField, {value});
    static_cast<QAbstractItemView*>(grid)->scrollTo(grid->currentIndex());
}

void LookupCombo::CloseUp()
{
    popup->hide();
    RestoreFilter();
}

bool LookupCombo::DroppedDown() const
{
    return popup->isVisible();
}

void LookupCombo::ChooseCurrentRow()
{
    Variant key;
    if (lookup && lookup->Active() && !lookup->IsEmpty() && !keyField.empty())
        key = lookup->FieldByName(keyField).Value();
    CloseUp();
    if (!key.IsNull()) SetValue(key);
}

void ComboBoxUtilitys(LookupCombo& combo, const std::string& action, int, int)
{
    if (action == "置空")
        combo.SetValue(Variant());
    else if (action == "查找")
        combo.DropDown();
}

}  // namespace mfg
