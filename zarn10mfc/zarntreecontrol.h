// The tree control the movement tree fills: a small interface over the Qt tree widget in the
// program, and over a recording tree in tests.
#ifndef ZARN_ZARN10MFC_ZARNTREECONTROL_H
#define ZARN_ZARN10MFC_ZARNTREECONTROL_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zarn {

class TreeControl {
public:
    using Item = intptr_t;  // 0: none (as a parent: the top level)
    virtual ~TreeControl() = default;
    virtual void DeleteAllItems() = 0;
    // Inserted as the parent's last child.
    virtual Item InsertItem(const std::string &text, int image, int selectedImage, Item parent,
                            void *data) = 0;
    virtual void SetItemBold(Item item, bool bold) = 0;
    virtual std::vector<Item> Children(Item parent) const = 0;
    virtual void *ItemData(Item item) const = 0;
    // Orders the parent's children; less(a, b) compares the items' data.
    virtual void SortChildren(Item parent, const std::function<bool(void *, void *)> &less) = 0;
    // The item the operator selected (0: none), and showing an item's children.
    virtual Item SelectedItem() const { return 0; }
    virtual void Expand(Item) {}
    // Around emptying and filling the whole tree: a view sees it as one change.
    virtual void BeginRebuild() {}
    virtual void EndRebuild() {}
};

}  // namespace zarn

#endif
