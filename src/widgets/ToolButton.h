#pragma once

#include <QToolButton>

#include <string>
#include <string_view>

namespace mfg {

//! The tool button of the screens (TQxExplBtn): text beside an optional icon, flat until hovered.
class ToolButton : public QToolButton {
    Q_OBJECT

public:
    explicit ToolButton(QWidget* parent = nullptr);

    std::string Caption() const { return text().toStdString(); }
    void SetCaption(std::string_view caption);
};

}  // namespace mfg
