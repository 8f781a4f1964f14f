// A tree control in memory: what the movement tree put into it, as indented text.
#ifndef ZARN_TESTS_RECORDINGTREECONTROL_H
#define ZARN_TESTS_RECORDINGTREECONTROL_H

#include <string>
#include <vector>

#include "zarntreecontrol.h"

namespace zarn::test {

class RecordingTreeControl : public TreeControl {
public:
    void DeleteAllItems() override;
    Item InsertItem(const std::string &text, int image, int selectedImage, Item parent,
                    void *data) override;
    void SetItemBold(Item item, bool bold) override;
    std::vector<Item> Children(Item parent) const override;
    void *ItemData(Item item) const override;
    void SortChildren(Item parent, const std::function<bool(void *, void *)> &less) override;

    Item SelectedItem() const override { return selected; }
    Item selected = 0;
    // The first item whose text starts with this, or 0.
    Item Find(const std::string &prefix) const;

    // One line per item, two spaces of indent per level, " [b]" when bold, " #n" the image.
    std::vector<std::string> Lines() const;

private:
    struct Node {
        std::string text;
        int image = 0;
        bool bold = false;
        void *data = nullptr;
        std::vector<Item> children;
    };
    void AddLines(Item item, int depth, std::vector<std::string> &lines) const;
    std::vector<Node> m_nodes{Node{}};  // node 0: the invisible top level
};

}  // namespace zarn::test

#endif
