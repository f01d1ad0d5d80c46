#include "RowSelection.h"

#include "data/DataSet.h"

namespace mfg {

void SetAllRows(DataSet& dataSet, int mode)
{
    dataSet.DisableControls();
    try {
        Field& selected = dataSet.FieldByName("selected");
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
            dataSet.Edit();
            selected.SetValue(mode == 2 ? 1 - selected.AsInteger() : mode);
            dataSet.Post();
        }
        dataSet.First();
    } catch (...) {
        dataSet.EnableControls();
        throw;
    }
    dataSet.EnableControls();
}

void SelectAllRows(DataSet& dataSet) { SetAllRows(dataSet, 1); }
void ClearAllRows(DataSet& dataSet) { SetAllRows(dataSet, 0); }
void InvertRows(DataSet& dataSet) { SetAllRows(dataSet, 2); }

}  // namespace mfg
