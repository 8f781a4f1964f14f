// The server's password asked for in a dialog, when neither the URL, PGPASSWORD nor ~/.pgpass
// gives one and the server wants it.
#ifndef ZARN_FRAMEWORK_UI_ZARNPASSWORDPROMPT_H
#define ZARN_FRAMEWORK_UI_ZARNPASSWORDPROMPT_H

#include <QWidget>

#include <functional>
#include <string>

namespace zarn {

// What the operator typed (hidden as typed); empty when cancelled.
std::string AskServerPassword(QWidget *parent, const std::string &server);

// A prompt for CZARN10MFC::SetPasswordPrompt whose dialog belongs to the window parent() gives.
std::function<std::string(const std::string &)> PasswordPrompt(std::function<QWidget *()> parent);

}  // namespace zarn

#endif
