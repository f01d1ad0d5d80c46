#pragma once

#include <QDialog>

#include <memory>
#include <optional>

#include "DesktopSession.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace mfg {

//! The login: operator, password and database (the last ones remembered), and the branch when the
//! operator may work in several. Accepting it leaves a started session behind.
class LoginDialog : public QDialog {
    Q_OBJECT

public:
    //! `databaseUrl` given on the command line wins over the remembered one.
    explicit LoginDialog(const QString& databaseUrl = {}, QWidget* parent = nullptr);
    ~LoginDialog() override;

    //! The started session after the dialog was accepted; null before.
    std::unique_ptr<DesktopSession> TakeSession() { return std::move(session); }

    //! Checks the entries and logs in; on success the dialog is accepted. A refusal is shown on
    //! the dialog, which stays open.
    void btnOkClick();

private:
    bool OpenDatabase();
    void FillShops();

    QLineEdit* edtUser;
    QLineEdit* edtPassword;
    QLineEdit* edtDatabase;
    QComboBox* cmbShop;
    QLabel* lblShop;
    QLabel* lblMessage;
    std::unique_ptr<DesktopSession> session;
    std::optional<UserAccount> account;
};

}  // namespace mfg
