#pragma once
// Small helpers the schedule's screens build their controls with.

#include <QGridLayout>
#include <QLabel>
#include <QString>

#include "NamedControl.h"

namespace mfg {

//! A caption and its control side by side in a grid, the caption at `column`.
inline void AddLabelled(QGridLayout& grid, const char* caption, QWidget* control, int row, int column)
{
    grid.addWidget(new QLabel(QString::fromUtf8(caption), grid.parentWidget()), row, column);
    grid.addWidget(control, row, column + 1);
}

}  // namespace mfg
