#include "aboutdialog.h"

#include <QPixmap>

#include "ui_aboutdialog.h"

CAboutDlg::CAboutDlg(const std::string &product, const std::string &compiled, const QString &logo,
                     QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>()) {
    m_ui->setupUi(this);
    const QPixmap picture(logo);
    if (!picture.isNull()) {
        m_ui->logo->setPixmap(picture.scaledToWidth(360, Qt::SmoothTransformation));
    }
    m_ui->grid->addTopLevelItem(new QTreeWidgetItem({"Product", QString::fromStdString(product)}));
    m_ui->grid->addTopLevelItem(
        new QTreeWidgetItem({"Compiled", QString::fromStdString(compiled)}));
    m_ui->grid->addTopLevelItem(new QTreeWidgetItem({"Qt", qVersion()}));
    m_ui->grid->resizeColumnToContents(0);
    connect(m_ui->ok, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;
