#include "zarnqtuiservices.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

namespace zarn {
namespace {

QMessageBox::Icon IconOf(unsigned style) {
    switch (style & 0xF0) {
        case kBoxIconError:
            return QMessageBox::Critical;
        case kBoxIconQuestion:
            return QMessageBox::Question;
        case kBoxIconWarning:
            return QMessageBox::Warning;
        case kBoxIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons ButtonsOf(unsigned style) {
    switch (style & 0xF) {
        case kBoxOkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case kBoxYesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case kBoxYesNo:
            return QMessageBox::Yes | QMessageBox::No;
        default:
            return QMessageBox::Ok;
    }
}

QString Text(const std::string &text) {
    return QString::fromStdString(text);
}

}  // namespace

int QtUiServices::MessageBox(const std::string &text, const std::string &caption, unsigned style) {
    QMessageBox box(IconOf(style), Text(caption), Text(text), ButtonsOf(style), m_owner);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return kAnswerYes;
        case QMessageBox::No:
            return kAnswerNo;
        case QMessageBox::Ok:
            return kAnswerOk;
        default:
            return kAnswerCancel;
    }
}

bool QtUiServices::OpenFileDialog(const FileDialogRequest &request, std::string &path) {
    return FileDialog(request, path, false);
}

bool QtUiServices::SaveFileDialog(const FileDialogRequest &request, std::string &path) {
    return FileDialog(request, path, true);
}

bool QtUiServices::FileDialog(const FileDialogRequest &request, std::string &path, bool save) {
    // Never the root nor the program's folder: the documents folder when none is given.
    const std::string folder =
        request.folder.empty()
            ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString()
            : request.folder;
    const QString start = Text(folder.empty() ? request.fileName : folder + "/" + request.fileName);
    const QString chosen = save ? QFileDialog::getSaveFileName(m_owner, Text(request.title), start,
                                                               Text(request.filter))
                                : QFileDialog::getOpenFileName(m_owner, Text(request.title), start,
                                                               Text(request.filter));
    if (chosen.isEmpty()) {
        return false;  // cancelled: the caller's path stays as it was
    }
    path = chosen.toStdString();
    return true;
}

}  // namespace zarn
