#include "LookupCombo.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "QtDialogs.h"
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
    : QWidget(parent), edit(new QLineEdit(this)), dropButton(new QToolButton(this)), popup(new QFrame(this, Qt::Popup))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(edit);
    layout->addWidget(dropButton);
    edit->setObjectName("edit");
    dropButton->setObjectName("dropButton");
    dropButton->setArrowType(Qt::DownArrow);
    dropButton->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(edit);

    popup->setFrameShape(QFrame::StyledPanel);
    auto* popupLayout = new QVBoxLayout(popup);
    popupLayout->setContentsMargins(2, 2, 2, 2);
    grid = new DbGrid(popup);
    grid->setObjectName("dropDownGrid");
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->SetSortOnTitleClick(false);
    popupLayout->addWidget(grid);
    buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    popupLayout->addLayout(buttonRow);
    popup->resize(480, 260);

    connect(dropButton, &QToolButton::clicked, this, [this] { DroppedDown() ? CloseUp() : DropDown(); });
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.isEmpty()) SetValue(Variant());
        DropDown(text);
        edit->setFocus();
    });
    connect(grid, &QAbstractItemView::activated, this, [this] { ChooseCurrentRow(); });
    edit->installEventFilter(this);
    grid->installEventFilter(this);
}

bool LookupCombo::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == edit && (key->key() == Qt::Key_Down || key->key() == Qt::Key_F4)) {
        DropDown();
        grid->setFocus();
        return true;
    }
    // Typed and Enter: the first goods the typing leaves in the list.
    if (watched == edit && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && DroppedDown()) {
        ChooseCurrentRow();
        return true;
    }
    if (watched != grid) return QWidget::eventFilter(watched, event);
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            ChooseCurrentRow();
            return true;
        case Qt::Key_Escape:
            CloseUp();
            edit->setFocus();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return false;
        default:
            break;
    }
    // The open list holds the keyboard; what the user types still goes on into the edit and
    // narrows the list, as with the host's combo.
    if (!key->text().isEmpty() || key->key() == Qt::Key_Backspace) {
        QCoreApplication::sendEvent(edit, event);
        return true;
    }
    return false;
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
    popup->move(mapToGlobal(QPoint(0, height())));
    popup->resize(std::max(width(), 480), 260);
    popup->show();
    if (!value.IsNull() && typed.isEmpty()) lookup->Locate(keyField, {value});
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
