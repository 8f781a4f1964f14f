// Document and views: a document tells its views of changes with a hint (1 = the server
// connection or tree changed, 2 = the lists changed, 3 = some items of the lists changed, which
// the document says), skipping the view that caused it.
#ifndef ZARN_PLATFORM_ZARNDOCUMENT_H
#define ZARN_PLATFORM_ZARNDOCUMENT_H

#include <cstdint>
#include <vector>

namespace zarn {

constexpr intptr_t kHintConnectionChanged = 1;
constexpr intptr_t kHintListsChanged = 2;
constexpr intptr_t kHintItemsChanged = 3;

class View {
public:
    virtual ~View() = default;
    virtual void OnUpdate(View *sender, intptr_t hint) = 0;
};

class Document {
public:
    virtual ~Document() = default;
    void AddView(View *view);
    void RemoveView(View *view);
    void UpdateAllViews(View *sender, intptr_t hint);
    const std::vector<View *> &Views() const { return m_views; }

private:
    std::vector<View *> m_views;
};

}  // namespace zarn

#endif
