#include "zarnmenus.h"

#include <map>

namespace zarn {
namespace {

std::map<unsigned, MenuBuilder> &Resources() {
    static std::map<unsigned, MenuBuilder> resources;
    return resources;
}

}  // namespace

void RegisterMenuResource(unsigned id, MenuBuilder build) {
    Resources()[id] = std::move(build);
}

std::unique_ptr<QMenuBar> LoadMenuResource(unsigned id) {
    const auto found = Resources().find(id);
    if (found == Resources().end()) {
        return nullptr;
    }
    auto bar = std::make_unique<QMenuBar>();
    found->second(*bar);
    return bar;
}

QAction *AddCommand(QMenu &menu, const QString &text, int command, const QKeySequence &keys) {
    QAction *action = menu.addAction(text);
    action->setData(command);
    if (!keys.isEmpty()) {
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);  // the menu only shows the key
    }
    return action;
}

int CommandOf(const QAction *action) {
    return action ? action->data().toInt() : 0;
}

}  // namespace zarn
