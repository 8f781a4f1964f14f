#include "zarnpasswordprompt.h"

#include <QInputDialog>
#include <QLineEdit>

namespace zarn {

std::string AskServerPassword(QWidget *parent, const std::string &server) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle("Server Password");
    dialog.setLabelText(
        QString("The server %1 wants a password:").arg(QString::fromStdString(server)));
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setAccessibleName("Server password");
    if (dialog.exec() != QDialog::Accepted) {
        return "";
    }
    return dialog.textValue().toStdString();
}

std::function<std::string(const std::string &)> PasswordPrompt(std::function<QWidget *()> parent) {
    return [parent = std::move(parent)](const std::string &server) {
        return AskServerPassword(parent(), server);
    };
}

}  // namespace zarn
