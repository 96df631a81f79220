#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/Model.h"

namespace kalvo {

inline constexpr char kRootNodeCaption[] = "Appointment Types";

// One type node of the tree, in the order the tree is filled: parents before their children,
// each node added as the last child of its parent.
struct TypeTreeNode {
    EventType* type = nullptr;
    // Position in the node list of the parent node; kUnderRoot for a node under the root.
    int parent = -1;
};

// A select id that asks for no type, whatever id a hand-edited file gave its types.
inline constexpr std::int32_t kNoTypeId = -1;

// Which node a rebuild selects.
inline constexpr int kUnderRoot = -1;
inline constexpr int kSelectRoot = -1;
inline constexpr int kSelectNothing = -2;

struct TypeTreeLayout {
    // A pre-order walk of the tree without the root: the node at position i has the absolute
    // tree index i + 1.
    std::vector<TypeTreeNode> nodes;
    // A position in `nodes`, kSelectRoot or kSelectNothing.
    int selected = kSelectNothing;
};

// Where each type of `types` hangs. A top-level type (parentId -1) goes under the root, any
// other under the first node, in tree order, of a type with its parentId; siblings keep their
// order in `types`.
//
// Data the program writes lists every parent before its children. A hand-edited file may not:
// a type listed before its parent still hangs under that parent, and one whose parent id names
// no type, or whose parents form a ring, hangs under the root, so that every type has a node.
//
// Selected: the node of the last type with the id `selectId`; without one (or with kNoTypeId)
// the root as long as any type exists, else nothing.
TypeTreeLayout layTypeTree(const std::vector<std::unique_ptr<EventType>>& types,
                           std::int32_t selectId);

}  // namespace kalvo
