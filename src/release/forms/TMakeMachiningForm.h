#pragma once

#include <cstdint>
#include <string>

#include "TManuRootForm.h"

class QLabel;
class QPushButton;

namespace mfg {

class LookupCombo;

//! The supplier dialog: one supplier of the current shop chosen for a goods whose default one
//! cannot be used.
class TMakeMachiningForm : public TManuRootForm {
public:
    explicit TMakeMachiningForm(QWidget* parent = nullptr);

    //! Caption, label and message of the question.
    void Ask(const std::string& caption, const std::string& label, const std::string& message);
    std::int32_t TraderID() const;
    void btOKClick();

    //! Asks for a supplier modally; 0 when the user cancels.
    static std::int32_t ChooseSupplier(const std::string& message, QWidget* parent = nullptr);

    QLabel* Label13;
    QLabel* LabMsg;
    LookupCombo* cmbTrade;
    QPushButton* btOK;
    QPushButton* btCancel;
};

}  // namespace mfg
