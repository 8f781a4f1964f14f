// The assistance request with a scripted desktop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QUrl>
#include <QUrlQuery>

#include "scripteddesktop.h"
#include "scripteduiservices.h"
#include "supportfixtures.h"
#include "zarnassistance.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class AssistanceTest : public ::testing::Test {
protected:
    ScriptedUiServices ui;
    ScriptedDesktop desktop;
    ScopedEnvironment site{"ZARNSUPPORTSITE", "https://support.example/"};
    ScopedEnvironment address{"ZARNSUPPORTADDRESS", "help@support.example"};

    int Ask(int answer) {
        ui.Answer(answer);
        return RequestAssistance(ui, desktop, "Kestrava Tollgate", "Aug 14 2018");
    }
};

TEST_F(AssistanceTest, NoOpensTheWebSiteAndCancelDoesNothing) {
    EXPECT_EQ(Ask(kAnswerNo), 1);
    EXPECT_EQ(ui.boxes[0].caption, "Get Assistance");
    EXPECT_EQ(ui.boxes[0].text, "Would you like to create an Assistance Ticket via email?");
    EXPECT_EQ(ui.boxes[0].style, kBoxYesNoCancel | kBoxIconQuestion);
    EXPECT_THAT(desktop.opened, ElementsAre("https://support.example/"));
    EXPECT_EQ(Ask(kAnswerCancel), 0);
    EXPECT_EQ(desktop.opened.size(), 1u);
}

TEST_F(AssistanceTest, YesComposesTheMailInTheMailProgram) {
    EXPECT_EQ(Ask(kAnswerYes), 1);
    ASSERT_EQ(desktop.opened.size(), 1u);
    const QUrl mail(QString::fromStdString(desktop.opened[0]));
    EXPECT_EQ(mail.scheme(), "mailto");
    EXPECT_EQ(mail.path(), "help@support.example");
    const QUrlQuery query(mail);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded),
              "Question relating to Kestrava Tollgate");
    const std::string body = query.queryItemValue("body", QUrl::FullyDecoded).toStdString();
    EXPECT_THAT(body, ::testing::StartsWith("Dear Support,\n\nI have a question relating to "
                                            "Kestrava Tollgate that I would like"));
    EXPECT_THAT(body, ::testing::MatchesRegex(
                          "(.|\n)*<DETAILS>Kestrava Tollgate built on Aug 14 2018 and running on "
                          "\\(Linux [^ ]+ [^ ]+\\)</DETAILS>\\.\n\nI look forward to your "
                          "response\\. Thanks"));
}

TEST_F(AssistanceTest, WithoutAMailProgramTheOperatorIsTold) {
    desktop.handlerPresent = false;
    ui.Answer(kAnswerYes);
    ui.Answer(kAnswerOk);
    EXPECT_EQ(RequestAssistance(ui, desktop, "Kestrava Tollgate", "Aug 14 2018"), 0);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].caption, "MAPI Error");
    EXPECT_EQ(ui.boxes[1].text, "Unable to send email message");
}

}  // namespace
