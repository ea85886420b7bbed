// The application's login dialog: a user name and a password. This
// stand-in accepts any non-empty user name (the password is not checked);
// OK stays disabled until a name is typed.
#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLineEdit;

class GkLoginDialog : public QDialog {
  Q_OBJECT

public:
  explicit GkLoginDialog(QWidget* parent = nullptr);

  // The user name without surrounding blanks.
  QString userName() const;
  void setUserName(const QString& name);
  void setPassword(const QString& password);
  // True while OK can be pressed.
  bool canAccept() const;

private:
  void updateAcceptButton();

  QLineEdit* m_user;
  QLineEdit* m_password;
  QDialogButtonBox* m_buttons;
};
