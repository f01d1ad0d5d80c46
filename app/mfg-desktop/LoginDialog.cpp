#include "LoginDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "QtDialogs.h"
#include "host/Dialogs.h"

namespace mfg {

LoginDialog::LoginDialog(const QString& databaseUrl, QWidget* parent)
    : QDialog(parent),
      edtUser(new QLineEdit(this)),
      edtPassword(new QLineEdit(this)),
      edtDatabase(new QLineEdit(this)),
      cmbShop(new QComboBox(this)),
      lblShop(new QLabel("分支机构:", this)),
      lblMessage(new QLabel(this))
{
    setObjectName("LoginDialog");
    setWindowTitle("登录 - 生产制造");
    edtUser->setObjectName("edtUser");
    edtPassword->setObjectName("edtPassword");
    edtDatabase->setObjectName("edtDatabase");
    cmbShop->setObjectName("cmbShop");
    lblMessage->setObjectName("lblMessage");
    edtPassword->setEchoMode(QLineEdit::Password);
    lblMessage->setStyleSheet("color: #b00020");
    lblMessage->setWordWrap(true);

    QSettings settings;
    edtUser->setText(settings.value("login/user", "admin").toString());
    edtDatabase->setText(databaseUrl.isEmpty() ? settings.value("login/database").toString() : databaseUrl);

    auto* form = new QFormLayout;
    form->addRow("操作员:", edtUser);
    form->addRow("口令:", edtPassword);
    form->addRow("数据库:", edtDatabase);
    form->addRow(lblShop, cmbShop);
    lblShop->setBuddy(cmbShop);  // so that the branch list is announced by its caption
    auto* buttons = new QDialogButtonBox(this);
    auto* btnOk = buttons->addButton("登录", QDialogButtonBox::AcceptRole);
    btnOk->setObjectName("btnOk");
    buttons->addButton("取消", QDialogButtonBox::RejectRole)->setObjectName("btnCancel");
    auto* title = new QLabel("<b style='font-size:16pt'>生产制造管理</b>", this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(form);
    layout->addWidget(lblMessage);
    layout->addWidget(buttons);
    lblShop->hide();
    cmbShop->hide();
    setMinimumWidth(420);

    connect(buttons, &QDialogButtonBox::accepted, this, &LoginDialog::btnOkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The branch list belongs to the operator: a changed name or database asks again.
    auto forget = [this] {
        account.reset();
        lblShop->hide();
        cmbShop->hide();
    };
    connect(edtUser, &QLineEdit::textEdited, this, forget);
    connect(edtDatabase, &QLineEdit::textEdited, this, [this, forget] {
        forget();
        session.reset();
    });
    if (!edtUser->text().isEmpty()) edtPassword->setFocus();
}

LoginDialog::~LoginDialog() = default;

bool LoginDialog::OpenDatabase()
{
    if (session) return true;
    std::string url = edtDatabase->text().trimmed().toStdString();
    if (url.empty()) {
        lblMessage->setText("请输入数据库 (SQLite 文件路径)。");
        return false;
    }
    try {
        session = std::make_unique<DesktopSession>(url);
        return true;
    } catch (const std::exception& error) {
        lblMessage->setText(QString("无法打开数据库: ") + error.what());
        return false;
    }
}

void LoginDialog::FillShops()
{
    cmbShop->clear();
    for (const auto& shop : session->Users().Shops(*account)) cmbShop->addItem(ToQString(shop.name), shop.shopID);
    int last = QSettings().value("login/shop", account->shopID).toInt();
    if (int index = cmbShop->findData(last); index >= 0) cmbShop->setCurrentIndex(index);
    bool several = cmbShop->count() > 1;
    lblShop->setVisible(several);
    cmbShop->setVisible(several);
}

void LoginDialog::btnOkClick()
{
    lblMessage->clear();
    if (!OpenDatabase()) return;
    std::string user = edtUser->text().trimmed().toStdString();
    std::string password = edtPassword->text().toStdString();
    if (!account) {
        AuthResult result = session->Users().Login(user, password);
        if (!result) {
            // An operator set up without a password (the demo's, an imported one) chooses one at
            // the first login instead of being locked out for good.
            auto known = session->Users().FindUser(user);
            if (!known || known->closed || known->hasPassword || password.empty()) {
                lblMessage->setText(ToQString(result.message));
                return;
            }
            if (session->GetHost().GetDialogs().ShowYesNoQuestion(
                    "该操作员尚未设定口令, 是否将输入的口令设为登录口令?") != AnswerYes)
                return;
            session->Users().SetPassword(known->id, password);
            result = session->Users().Login(user, password);
            if (!result) {
                lblMessage->setText(ToQString(result.message));
                return;
            }
        }
        account = result.user;
        FillShops();
        if (cmbShop->count() == 0) {
            lblMessage->setText("没有可用的分支机构。");
            account.reset();
            return;
        }
        // With several branches the operator picks one first; the next click logs in.
        if (cmbShop->count() > 1 && !cmbShop->property("shown").toBool()) {
            cmbShop->setProperty("shown", true);
            lblMessage->setText("请选择分支机构后再按登录。");
            cmbShop->setFocus();
            return;
        }
    }
    int shopID = cmbShop->currentData().toInt();
    session->Start(*account, shopID);
    QSettings settings;
    settings.setValue("login/user", edtUser->text().trimmed());
    // A server URL may carry the password: the saved one never does (libpq finds it in ~/.pgpass).
    settings.setValue("login/database", ToQString(UrlWithoutPassword(edtDatabase->text().trimmed().toStdString())));
    settings.setValue("login/shop", shopID);
    accept();
}

}  // namespace mfg
