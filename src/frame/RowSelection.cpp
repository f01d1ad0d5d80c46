#include "RowSelection.h"

#include "data/DataSet.h"

namespace mfg {

void SetAllRows(DataSet& dataSet, int mode)
{
    dataSet.DisableControls();
    try {
        Field& selected = dataSet.FieldByName("selected");
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
            // A row that keeps its tick is left alone: the handlers of a tick (a completion date
            // set from the delivery date) belong to a row that becomes ticked, not to one edited since.
            int value = mode == 2 ? 1 - selected.AsInteger() : mode;
            if (!selected.IsNull() && selected.AsInteger() == value) continue;
            dataSet.Edit();
            selected.SetValue(value);
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
