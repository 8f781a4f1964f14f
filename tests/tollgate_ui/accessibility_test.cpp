// Every focusable control of every window of the Tollgate has a name a screen reader can say.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QTimer>

#include "aboutdialog.h"
#include "badscanwarning.h"
#include "filterdialog.h"
#include "optionsdialog.h"
#include "queryexceptionwindow.h"
#include "receiptprintprompt.h"
#include "windowfixture.h"
#include "zarnexportdialogs.h"
#include "zarnqtpresenters.h"
#include "zarnqtscandialog.h"

using namespace zarn;
using namespace zarn::test;

namespace {

// The focusable controls of a window that assistive technology would find without a name.
std::vector<std::string> Nameless(QWidget &window) {
    std::vector<std::string> nameless;
    for (QWidget *control : window.findChildren<QWidget *>()) {
        if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(&window) ||
            !control->isEnabled()) {
            continue;
        }
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty()) {
            nameless.push_back(std::string(control->metaObject()->className()) + " " +
                               control->objectName().toStdString());
        }
    }
    return nameless;
}

class AccessibilityTest : public WindowFixture {};

TEST_F(AccessibilityTest, EveryControlOfEveryWindowHasAName) {
    AddFromTree("ACME");
    EXPECT_THAT(Nameless(*frame), ::testing::IsEmpty()) << "the main window";

    CZARN30SettingsBlock block;
    COptionsDialog options(block, ui, frame.get());
    options.show();
    EXPECT_THAT(Nameless(options), ::testing::IsEmpty()) << "Options";

    std::vector<CZARN10Direction> pairs;
    AddDirection(pairs, "LIB1", "VLT1");
    CFilterDialog filters(pairs);
    filters.show();
    EXPECT_THAT(Nameless(filters), ::testing::IsEmpty()) << "Add Filters";

    doc->AddBadScan("ACMELTO9FIRST\0\0\0\0\0", 3);
    CBadScanWarning warning(doc->errorList, frame->Context(), frame.get());
    warning.show();
    EXPECT_THAT(Nameless(warning), ::testing::IsEmpty()) << "Scan Error Warning";

    CQueryExceptionWindow exceptions(doc->queryExceptions.Entries(), frame->Context());
    exceptions.show();
    EXPECT_THAT(Nameless(exceptions), ::testing::IsEmpty()) << "Query Exceptions";

    CZARN30ReceiptPrompt prompt(nullptr, nullptr);
    CReceiptPrintPrompt receipt(prompt, nullptr);
    receipt.show();
    EXPECT_THAT(Nameless(receipt), ::testing::IsEmpty()) << "the receipt prompt";

    QtScanDialog scan;
    scan.Open("Scan");
    EXPECT_THAT(Nameless(scan), ::testing::IsEmpty()) << "the scan dialog";
    scan.Close();

    ExportTypeDialog exportType(*frame->TabView().ActiveList(), true);
    exportType.show();
    EXPECT_THAT(Nameless(exportType), ::testing::IsEmpty()) << "the export's type";
    PdfOptionsDialog pdf(PdfOptions{});
    pdf.show();
    EXPECT_THAT(Nameless(pdf), ::testing::IsEmpty()) << "the PDF options";
    CAboutDlg about("Kestrava Tollgate", "Aug 14 2018", "", frame.get());
    about.show();
    EXPECT_THAT(Nameless(about), ::testing::IsEmpty()) << "About";
}

}  // namespace
