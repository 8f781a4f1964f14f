#include "recordingtreecontrol.h"

#include <algorithm>

namespace zarn::test {

void RecordingTreeControl::DeleteAllItems() {
    m_nodes.assign(1, Node{});
}

TreeControl::Item RecordingTreeControl::InsertItem(const std::string &text, int image, int,
                                                   Item parent, void *data) {
    m_nodes.push_back({text, image, false, data, {}});
    const Item item = static_cast<Item>(m_nodes.size() - 1);
    m_nodes[parent].children.push_back(item);
    return item;
}

void RecordingTreeControl::SetItemBold(Item item, bool bold) {
    m_nodes[item].bold = bold;
}

std::vector<TreeControl::Item> RecordingTreeControl::Children(Item parent) const {
    return m_nodes[parent].children;
}

void *RecordingTreeControl::ItemData(Item item) const {
    return m_nodes[item].data;
}

void RecordingTreeControl::SortChildren(Item parent,
                                        const std::function<bool(void *, void *)> &less) {
    std::vector<Item> &children = m_nodes[parent].children;
    std::stable_sort(children.begin(), children.end(),
                     [&](Item a, Item b) { return less(m_nodes[a].data, m_nodes[b].data); });
}

void RecordingTreeControl::AddLines(Item item, int depth, std::vector<std::string> &lines) const {
    const Node &node = m_nodes[item];
    lines.push_back(std::string(2 * depth, ' ') + node.text + " #" + std::to_string(node.image) +
                    (node.bold ? " [b]" : ""));
    for (Item child : node.children) {
        AddLines(child, depth + 1, lines);
    }
}

TreeControl::Item RecordingTreeControl::Find(const std::string &prefix) const {
    for (size_t item = 1; item < m_nodes.size(); ++item) {
        if (m_nodes[item].text.rfind(prefix, 0) == 0) {
            return static_cast<Item>(item);
        }
    }
    return 0;
}

std::vector<std::string> RecordingTreeControl::Lines() const {
    std::vector<std::string> lines;
    for (Item top : m_nodes[0].children) {
        AddLines(top, 0, lines);
    }
    return lines;
}

}  // namespace zarn::test
