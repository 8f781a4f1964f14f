// Menus by resource number, as the programs declare them: a resource is a bar of submenus
// whose actions carry command numbers. A list's context menu names a resource and a submenu.
#ifndef ZARN_FRAMEWORK_UI_ZARNMENUS_H
#define ZARN_FRAMEWORK_UI_ZARNMENUS_H

#include <QMenuBar>

#include <functional>
#include <memory>

namespace zarn {

// Fills a menu bar with the resource's submenus.
using MenuBuilder = std::function<void(QMenuBar &bar)>;

void RegisterMenuResource(unsigned id, MenuBuilder build);
// The resource's menu bar, or null when no resource has that number.
std::unique_ptr<QMenuBar> LoadMenuResource(unsigned id);

// Adds an action that carries a command number (and shows its key, if any).
QAction *AddCommand(QMenu &menu, const QString &text, int command, const QKeySequence &keys = {});
int CommandOf(const QAction *action);

// Whoever receives the commands chosen from a context menu.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    virtual void OnCommand(int command) = 0;
};

}  // namespace zarn

#endif
