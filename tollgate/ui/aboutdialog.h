// "&About Kestrava Tollgate™...": the product and its build date.
#ifndef ZARN_TOLLGATE_UI_ABOUTDIALOG_H
#define ZARN_TOLLGATE_UI_ABOUTDIALOG_H

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class CAboutDlg;
}

class CAboutDlg : public QDialog {
public:
    CAboutDlg(const std::string &product, const std::string &compiled, const QString &logo,
              QWidget *parent = nullptr);
    ~CAboutDlg() override;

private:
    std::unique_ptr<Ui::CAboutDlg> m_ui;
};

#endif
