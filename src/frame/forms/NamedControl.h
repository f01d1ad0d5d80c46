#pragma once

#include <QString>

namespace mfg {

//! A new control given its control name as objectName, by which tests and the host find it.
template <typename T>
T* Named(T* control, const char* name)
{
    control->setObjectName(QString::fromUtf8(name));
    return control;
}

}  // namespace mfg
