#include "AccessibleNames.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>

#include <algorithm>
#include <map>

namespace mfg {
namespace {

using Captions = std::map<const QWidget*, const QLabel*>;

QString WithoutMnemonic(QString text)
{
    return text.remove(QRegularExpression("&(?=[^&])")).trimmed();
}

bool IsGrid(const QWidget& widget)
{
    return qobject_cast<const QAbstractItemView*>(&widget) && !qobject_cast<const QHeaderView*>(&widget);
}

// A composite control (a look-up combo) hands its focus to the part the keyboard types into.
bool IsInput(const QWidget& widget)
{
    return qobject_cast<const QLineEdit*>(&widget) || qobject_cast<const QAbstractSpinBox*>(&widget) ||
           qobject_cast<const QComboBox*>(&widget) || qobject_cast<const QTextEdit*>(&widget) ||
           qobject_cast<const QPlainTextEdit*>(&widget) || (widget.focusProxy() && widget.focusProxy() != &widget);
}

// A caption is a label of words; one showing a number or a dash between two dates is none.
const QLabel* AsCaption(QLayoutItem* item)
{
    auto* label = item ? qobject_cast<const QLabel*>(item->widget()) : nullptr;
    if (!label) return nullptr;
    const QString text = label->text();
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); }) ? label : nullptr;
}

void CollectCaptions(QLayout& layout, const QLabel* leading, Captions& captions);

void Visit(QLayoutItem* item, const QLabel* caption, Captions& captions)
{
    if (!item) return;
    if (const QWidget* widget = item->widget(); widget && caption) captions.emplace(widget, caption);
    if (QLayout* inner = item->layout()) CollectCaptions(*inner, caption, captions);
}

// The caption of a layout's first item is the one standing before the whole layout.
void CollectCaptions(QLayout& layout, const QLabel* leading, Captions& captions)
{
    if (auto* grid = qobject_cast<const QGridLayout*>(&layout)) {
        for (int i = 0; i < grid->count(); ++i) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            const QLabel* caption = column > 0 ? AsCaption(grid->itemAtPosition(row, column - 1)) : nullptr;
            Visit(grid->itemAt(i), caption ? caption : (i == 0 ? leading : nullptr), captions);
        }
        return;
    }
    if (auto* form = qobject_cast<const QFormLayout*>(&layout)) {
        for (int row = 0; row < form->rowCount(); ++row)
            Visit(form->itemAt(row, QFormLayout::FieldRole), AsCaption(form->itemAt(row, QFormLayout::LabelRole)),
                  captions);
        return;
    }
    QLayoutItem* previous = nullptr;
    for (int i = 0; i < layout.count(); ++i) {
        QLayoutItem* item = layout.itemAt(i);
        if (item->spacerItem()) continue;
        const QLabel* caption = previous ? AsCaption(previous) : leading;
        Visit(item, caption, captions);
        previous = item;
    }
}

// The title of the tab page or group a control sits in; empty when it sits in neither.
QString EnclosingTitle(const QWidget& control, const QWidget& window)
{
    for (const QWidget* up = &control; up && up != &window; up = up->parentWidget()) {
        if (auto* group = qobject_cast<const QGroupBox*>(up); group && !group->title().isEmpty())
            return WithoutMnemonic(group->title());
        auto* stack = qobject_cast<const QStackedWidget*>(up->parentWidget());
        if (auto* tabs = stack ? qobject_cast<const QTabWidget*>(stack->parentWidget()) : nullptr)
            if (int page = tabs->indexOf(const_cast<QWidget*>(up)); page >= 0) return WithoutMnemonic(tabs->tabText(page));
    }
    return {};
}

// Qt names a control after a label whose buddy it is.
bool HasBuddyLabel(const QWidget& control)
{
    if (!control.parentWidget()) return false;
    for (const QLabel* label : control.parentWidget()->findChildren<const QLabel*>(Qt::FindDirectChildrenOnly))
        if (label->buddy() == &control) return true;
    return false;
}

}  // namespace

void NameControls(QWidget& window)
{
    Captions captions;
    const QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (const QWidget* widget : widgets)
        if (widget->layout()) CollectCaptions(*widget->layout(), nullptr, captions);
    if (window.layout()) CollectCaptions(*window.layout(), nullptr, captions);

    for (QWidget* widget : widgets) {
        if (!widget->accessibleName().isEmpty() || HasBuddyLabel(*widget)) continue;
        bool grid = IsGrid(*widget);
        if (!grid && !IsInput(*widget)) {
            auto* button = qobject_cast<QAbstractButton*>(widget);
            if (button && button->text().isEmpty() && !button->toolTip().isEmpty())
                button->setAccessibleName(button->toolTip());
            continue;
        }
        QString name;
        if (auto found = captions.find(widget); found != captions.end()) name = WithoutMnemonic(found->second->text());
        if (grid && name.isEmpty()) name = EnclosingTitle(*widget, window);
        if (grid && name.isEmpty()) name = window.windowTitle();
        if (!name.isEmpty()) widget->setAccessibleName(name);
    }
    // What the keyboard types into and what is drawn over a grid's first columns go by the
    // names of the controls they belong to.
    for (QWidget* widget : widgets) {
        QWidget* part = widget->focusProxy();
        if (part && part != widget && part->accessibleName().isEmpty()) part->setAccessibleName(widget->accessibleName());
        if (IsGrid(*widget) && widget->accessibleName().isEmpty() && widget->parentWidget() &&
            IsGrid(*widget->parentWidget()))
            widget->setAccessibleName(widget->parentWidget()->accessibleName());
    }
}

}  // namespace mfg
