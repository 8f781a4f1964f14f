#include "zarnassistance.h"

#include <QByteArray>
#include <QUrl>

#include "zarndeployment.h"
#include "zarnsystem.h"

namespace zarn {
namespace {

std::string Encoded(const std::string &text) {
    return QUrl::toPercentEncoding(QByteArray::fromStdString(text)).toStdString();
}

}  // namespace

std::string AssistanceMailUrl(const std::string &programName, const std::string &buildDate) {
    SystemDescription system;
    DescribeSystem(&system);
    const std::string subject = "Question relating to " + programName;
    const std::string body =
        "Dear Support,\n\nI have a question relating to " + programName +
        " that I would like your assistance with.\n\nMy issue is....(be as detailed as "
        "possible).\n\nI can replicate this issue by.... (be as detailed as possible).\n\n"
        "<DETAILS>" +
        programName + " built on " + buildDate + " and running on (" + system.systemName + " " +
        system.release + " " + system.machine +
        ")</DETAILS>.\n\nI look forward to your response. Thanks";
    return "mailto:" +
           QUrl::toPercentEncoding(QByteArray::fromStdString(SupportAddress()), "@").toStdString() +
           "?subject=" + Encoded(subject) + "&body=" + Encoded(body);
}

int RequestAssistance(UiServices &ui, DesktopServices &desktop, const std::string &programName,
                      const std::string &buildDate) {
    const int answer = ui.MessageBox("Would you like to create an Assistance Ticket via email?",
                                     "Get Assistance", kBoxYesNoCancel | kBoxIconQuestion);
    if (answer == kAnswerNo) {
        return desktop.Open(SupportSite()) ? 1 : 0;
    }
    if (answer != kAnswerYes) {
        return 0;
    }
    if (!desktop.Open(AssistanceMailUrl(programName, buildDate))) {
        ui.MessageBox("Unable to send email message", "MAPI Error", kBoxOk | kBoxIconInformation);
        return 0;
    }
    return 1;
}

}  // namespace zarn
