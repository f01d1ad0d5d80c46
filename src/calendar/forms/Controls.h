#pragma once
// Small helpers the calendar screens build their controls with.

#include <QString>

#include <string_view>

namespace mfg {

//! Gives a new control its name, by which tests and the screenshot tool find it.
template <typename T>
T* Named(T* control, const char* name)
{
    control->setObjectName(name);
    return control;
}

//! UTF-8 text as a QString.
inline QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace mfg
