#include "zarndocument.h"

#include <algorithm>

namespace zarn {

void Document::AddView(View *view) {
    if (std::find(m_views.begin(), m_views.end(), view) == m_views.end()) {
        m_views.push_back(view);
    }
}

void Document::RemoveView(View *view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void Document::UpdateAllViews(View *sender, intptr_t hint) {
    const std::vector<View *> views = m_views;  // a view may remove itself while updating
    for (View *view : views) {
        if (view != sender) {
            view->OnUpdate(sender, hint);
        }
    }
}

}  // namespace zarn
