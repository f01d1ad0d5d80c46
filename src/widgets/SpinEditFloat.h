#pragma once

#include <QDoubleSpinBox>

namespace mfg {

//! The numeric spin edit (TJxlSpinEditFloat): a double with the decimals the screen asks for.
class SpinEditFloat : public QDoubleSpinBox {
    Q_OBJECT

public:
    explicit SpinEditFloat(QWidget* parent = nullptr);

    double Value() const { return value(); }
    void SetValue(double newValue) { setValue(newValue); }
};

}  // namespace mfg
