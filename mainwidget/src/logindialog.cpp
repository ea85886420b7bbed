#include "logindialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

GkLoginDialog::GkLoginDialog(QWidget* parent)
    : QDialog(parent),
      m_user(new QLineEdit(this)),
      m_password(new QLineEdit(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
  setWindowTitle(tr("Carrack - sign in"));
  m_password->setEchoMode(QLineEdit::Password);
  m_user->setPlaceholderText(tr("user name"));

  auto* form = new QFormLayout;
  form->addRow(tr("&User:"), m_user);
  form->addRow(tr("&Password:"), m_password);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("Sign in to the board design audit."), this));
  layout->addLayout(form);
  layout->addWidget(m_buttons);

  connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_user, &QLineEdit::textChanged, this, &GkLoginDialog::updateAcceptButton);
  updateAcceptButton();
  resize(340, sizeHint().height());
}

QString GkLoginDialog::userName() const { return m_user->text().trimmed(); }

void GkLoginDialog::setUserName(const QString& name) { m_user->setText(name); }

void GkLoginDialog::setPassword(const QString& password) { m_password->setText(password); }

bool GkLoginDialog::canAccept() const {
  return m_buttons->button(QDialogButtonBox::Ok)->isEnabled();
}

void GkLoginDialog::updateAcceptButton() {
  m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!userName().isEmpty());
}
