#pragma once

namespace mfg {

class DataSet;

//! Writes `mode` into the integer column "selected" of every row, or inverts it for mode 2; the
//! dataset's views are held back while it walks and the cursor ends on the first row.
void SetAllRows(DataSet& dataSet, int mode);
//! Ticks every row.
void SelectAllRows(DataSet& dataSet);
//! Unticks every row.
void ClearAllRows(DataSet& dataSet);
//! Ticks the unticked rows and unticks the ticked ones.
void InvertRows(DataSet& dataSet);

}  // namespace mfg
