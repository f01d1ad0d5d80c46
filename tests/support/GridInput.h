#pragma once
// A person's hands on a data grid: clicks on cells and typing through the cell editor, so that a
// test goes the road of the keyboard and the mouse (editor, commit, cursor moves) and not around it.

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>

#include <stdexcept>
#include <string>
#include <string_view>

#include "DbGrid.h"

namespace mfg::test {

//! Types `text` into a widget key by key; a character beyond ASCII ("元") comes as an input method
//! hands it over, as text without a key code.
inline void TypeKeys(QWidget* widget, std::string_view text)
{
    for (QChar c : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))) {
        if (c.unicode() < 128)
            QTest::keyClicks(widget, QString(c));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

//! Clicks the cell of `row` in the column showing `field`.
inline void ClickCell(DbGrid& grid, int row, std::string_view field)
{
    int column = grid.Model().ColumnIndexOf(field);
    if (column < 0) throw std::logic_error("no column " + std::string(field));
    // A person clicks what is on the screen: the layout of a page just shown comes first.
    QCoreApplication::processEvents();
    QModelIndex index = grid.Model().index(row, column);
    static_cast<QAbstractItemView&>(grid).scrollTo(index);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(index).center());
}

//! The editor open on the grid's current cell, or none.
inline QWidget* OpenCellEditor(DbGrid& grid)
{
    for (QWidget* child : grid.viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isHidden() && (qobject_cast<QLineEdit*>(child) || qobject_cast<QAbstractSpinBox*>(child)))
            return child;
    return nullptr;
}

//! Types `text` into the current cell: F2 opens the editor, Ctrl+A and the keys replace what it
//! shows (an empty text clears it), Return commits.
inline void TypeIntoCurrentCell(DbGrid& grid, std::string_view text)
{
    QTest::keyClick(&grid, Qt::Key_F2);
    QWidget* editor = OpenCellEditor(grid);
    if (!editor) throw std::logic_error("the cell opened no editor");
    QWidget* keys = editor;
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(editor)) keys = spin->findChild<QLineEdit*>();
    QTest::keyClick(keys, Qt::Key_A, Qt::ControlModifier);
    if (text.empty())
        QTest::keyClick(keys, Qt::Key_Backspace);
    else
        TypeKeys(keys, text);
    QTest::keyClick(keys, Qt::Key_Return);
    // The delegate commits on Return through a queued call, as the event loop would run it next.
    QCoreApplication::processEvents();
}

//! Clicks the cell of `row` under `field` and types `text` into it.
inline void TypeIntoCell(DbGrid& grid, int row, std::string_view field, std::string_view text)
{
    ClickCell(grid, row, field);
    TypeIntoCurrentCell(grid, text);
}

}  // namespace mfg::test
