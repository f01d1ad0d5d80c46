#include "SpinEditFloat.h"

#include <limits>

namespace mfg {

SpinEditFloat::SpinEditFloat(QWidget* parent) : QDoubleSpinBox(parent)
{
    // Quantities and rates have no natural bound; the screens check their own limits.
    setRange(-std::numeric_limits<double>::max(), std::numeric_limits<double>::max());
    setDecimals(4);
    setAlignment(Qt::AlignRight);
    setGroupSeparatorShown(false);
}

}  // namespace mfg
