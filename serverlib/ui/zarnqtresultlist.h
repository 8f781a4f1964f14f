// The result list of a server pass and the information windows.
#ifndef ZARN_SERVERLIB_UI_ZARNQTRESULTLIST_H
#define ZARN_SERVERLIB_UI_ZARNQTRESULTLIST_H

#include <QDialog>

#include <functional>

#include "zarnpresenters.h"

namespace zarn {

// One row per result: its text and the library's answer; OK closes, Cancel cancels the list.
class QtResultList : public ResultListPresenter {
public:
    explicit QtResultList(QWidget *parent) : m_parent(parent) {}
    bool Show(const std::vector<ResultListEntry> &entries) override;
    // Tests look at the window before it runs.
    static std::function<void(QDialog &)> beforeShowing;

private:
    QWidget *m_parent;
};

class QtInfoWindow : public InfoPresenter {
public:
    explicit QtInfoWindow(QWidget *parent) : m_parent(parent) {}
    void Show(const std::string &title, const std::vector<std::string> &lines) override;

private:
    QWidget *m_parent;
};

}  // namespace zarn

#endif
