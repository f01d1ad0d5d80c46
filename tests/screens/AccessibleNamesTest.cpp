// Every screen as a screen reader (and an end-to-end test) finds it: the screen is a window or a
// dialog named by its title, and every edit, combo, button and grid it shows has a name.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>

#include <string>
#include <vector>

#include "Manufacture.h"
#include "ModuleScreens.h"
#include "ScreenTest.h"
#include "TManuRootForm.h"
#include "host/Registry.h"

namespace mfg {
namespace {

class AccessibleNamesTest : public test::ScreenTest {};

QString AccessibleName(QObject& object)
{
    QAccessibleInterface* published = QAccessible::queryAccessibleInterface(&object);
    return published ? published->text(QAccessible::Name) : QString();
}

// The controls a person reaches: an edit inside a spin box or an editable combo is part of it,
// and a grid's corner button is no control of its own on the bus, only its cells are.
bool MustBeNamed(const QWidget& widget)
{
    if (qobject_cast<const QHeaderView*>(&widget)) return false;
    if (qobject_cast<const QAbstractButton*>(&widget) && qobject_cast<const QAbstractItemView*>(widget.parentWidget()))
        return false;
    if (qobject_cast<const QLineEdit*>(&widget))
        return !qobject_cast<const QAbstractSpinBox*>(widget.parentWidget()) &&
               !qobject_cast<const QComboBox*>(widget.parentWidget());
    return qobject_cast<const QAbstractSpinBox*>(&widget) || qobject_cast<const QComboBox*>(&widget) ||
           qobject_cast<const QAbstractButton*>(&widget) || qobject_cast<const QAbstractItemView*>(&widget);
}

TEST_F(AccessibleNamesTest, EveryScreenAndEveryControlItShowsHasAName)
{
    // The screens of the host's menu, and those its two commands open.
    ManufactureLoad();
    std::vector<std::string> names{"TMRPForm", "TSorderToMPSForm"};
    for (const ScreenEntry& entry : HostRegistry().Forms()) names.push_back(entry.className);
    ASSERT_EQ(names.size(), 7u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::unique_ptr<Screen> screen = FindModuleScreen(name)();
        auto* form = static_cast<FormScreen&>(*screen).Form();
        ASSERT_NE(form, nullptr);
        ShowAtDefaultSize(*form);
        ProcessEvents();

        QAccessibleInterface* published = QAccessible::queryAccessibleInterface(form);
        ASSERT_NE(published, nullptr);
        EXPECT_TRUE(published->role() == QAccessible::Window || published->role() == QAccessible::Dialog);
        EXPECT_EQ(published->text(QAccessible::Name), form->windowTitle());
        EXPECT_FALSE(form->windowTitle().isEmpty());

        form->setWindowFlag(Qt::Dialog);
        EXPECT_EQ(published->role(), QAccessible::Dialog) << "a screen made a dialog is published as one";

        for (QWidget* control : form->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(form) || !MustBeNamed(*control)) continue;
            EXPECT_FALSE(AccessibleName(*control).isEmpty())
                << control->metaObject()->className() << " " << control->objectName().toStdString() << " of "
                << (control->parentWidget() ? control->parentWidget()->objectName().toStdString() : "");
        }
        form->close();
        ProcessEvents();
    }
    ManufactureUnload();
}

}  // namespace
}  // namespace mfg
