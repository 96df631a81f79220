#include "types/TypeTree.h"

#include <algorithm>
#include <unordered_map>

namespace kalvo {
namespace {

// The tree while it is filled: nodes are numbered as their types in `types`, the root is
// number types.size(). Children lists stay in `types` order.
class TreeUnderConstruction {
public:
    explicit TreeUnderConstruction(const std::vector<std::unique_ptr<EventType>>& types)
        : types_(types),
          root_(static_cast<int>(types.size())),
          children_(types.size() + 1),
          placed_(types.size(), false) {}

    int root() const { return root_; }
    bool placed(int node) const { return placed_[static_cast<std::size_t>(node)]; }
    std::int32_t idOf(int node) const { return types_[static_cast<std::size_t>(node)]->id; }
    std::int32_t parentIdOf(int node) const {
        return types_[static_cast<std::size_t>(node)]->parentId;
    }

    void place(int node, int parent) {
        auto& siblings = children_[static_cast<std::size_t>(parent)];
        siblings.insert(std::upper_bound(siblings.begin(), siblings.end(), node), node);
        placed_[static_cast<std::size_t>(node)] = true;
        placedById_[idOf(node)].push_back(node);
    }

    // The first node in tree order whose type has `id`, or -1.
    int findPlaced(std::int32_t id) const {
        const auto found = placedById_.find(id);
        if (found == placedById_.end()) {
            return -1;
        }
        if (found->second.size() == 1) {
            return found->second.front();
        }
        for (const int node : preOrder()) {
            if (idOf(node) == id) {
                return node;
            }
        }
        return -1;
    }

    // The nodes below the root in tree order, each with the position of its parent.
    std::vector<int> preOrder(std::vector<int>* parentPositions = nullptr) const {
        std::vector<int> order;
        // An explicit stack: a hand-edited file may chain its types deeper than the call stack.
        struct Frame {
            int node;
            int position;  // of the node in `order`; kUnderRoot for the root
            std::size_t nextChild;
        };
        std::vector<Frame> stack{{root_, kUnderRoot, 0}};
        while (!stack.empty()) {
            Frame& frame = stack.back();
            const auto& children = children_[static_cast<std::size_t>(frame.node)];
            if (frame.nextChild == children.size()) {
                stack.pop_back();
                continue;
            }
            const int child = children[frame.nextChild++];
            if (parentPositions != nullptr) {
                parentPositions->push_back(frame.position);
            }
            order.push_back(child);
            stack.push_back({child, static_cast<int>(order.size()) - 1, 0});
        }
        return order;
    }

private:
    const std::vector<std::unique_ptr<EventType>>& types_;
    int root_;
    std::vector<std::vector<int>> children_;
    std::vector<bool> placed_;
    std::unordered_map<std::int32_t, std::vector<int>> placedById_;
};

// Among types that wait for a parent node that will never come: the one to hang under the
// root. Following the parent links from the first waiting type ends either at a type whose
// parent does not exist or back on a ring of types that are each other's parents.
int firstUnreachable(const TreeUnderConstruction& tree, int count) {
    const auto firstWaitingWithId = [&](std::int32_t id) {
        for (int node = 0; node < count; ++node) {
            if (!tree.placed(node) && tree.idOf(node) == id) {
                return node;
            }
        }
        return -1;
    };
    int node = 0;
    while (tree.placed(node)) {
        ++node;
    }
    std::vector<bool> visited(static_cast<std::size_t>(count), false);
    for (;;) {
        visited[static_cast<std::size_t>(node)] = true;
        const int parent = firstWaitingWithId(tree.parentIdOf(node));
        if (parent < 0) {
            return node;
        }
        if (visited[static_cast<std::size_t>(parent)]) {
            return parent;
        }
        node = parent;
    }
}

}  // namespace

TypeTreeLayout layTypeTree(const std::vector<std::unique_ptr<EventType>>& types,
                           std::int32_t selectId) {
    const int count = static_cast<int>(types.size());
    TreeUnderConstruction tree(types);
    int waiting = count;
    while (waiting > 0) {
        // In data the program writes, the first pass places every type, in list order.
        for (bool progress = true; progress;) {
            progress = false;
            for (int node = 0; node < count; ++node) {
                if (tree.placed(node)) {
                    continue;
                }
                const std::int32_t parentId = tree.parentIdOf(node);
                const int parent = parentId == -1 ? tree.root() : tree.findPlaced(parentId);
                if (parent < 0) {
                    continue;
                }
                tree.place(node, parent);
                --waiting;
                progress = true;
            }
        }
        if (waiting > 0) {
            tree.place(firstUnreachable(tree, count), tree.root());
            --waiting;
        }
    }

    TypeTreeLayout layout;
    std::vector<int> parents;
    const std::vector<int> order = tree.preOrder(&parents);
    layout.nodes.reserve(order.size());
    std::vector<int> positionOf(types.size(), -1);
    for (std::size_t position = 0; position < order.size(); ++position) {
        const int node = order[position];
        positionOf[static_cast<std::size_t>(node)] = static_cast<int>(position);
        layout.nodes.push_back({types[static_cast<std::size_t>(node)].get(), parents[position]});
    }
    layout.selected = count > 0 ? kSelectRoot : kSelectNothing;
    for (int node = count - 1; node >= 0 && selectId != kNoTypeId; --node) {
        if (types[static_cast<std::size_t>(node)]->id == selectId) {
            layout.selected = positionOf[static_cast<std::size_t>(node)];
            break;
        }
    }
    return layout;
}

}  // namespace kalvo
