#include "ToolButton.h"

#include "QtDialogs.h"

namespace mfg {

ToolButton::ToolButton(QWidget* parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setAutoRaise(true);
}

void ToolButton::SetCaption(std::string_view caption) { setText(ToQString(caption)); }

}  // namespace mfg
