#include "types/TypeTree.h"

#include <gtest/gtest.h>

#include "types/TypeList.h"

namespace kalvo {
namespace {

using test::typeList;

// The children of `parent` as text: each node by its type's name, its own children in
// brackets after it.
std::string shapeOf(const TypeTreeLayout& layout, int parent = kUnderRoot) {
    std::string text;
    for (std::size_t position = 0; position < layout.nodes.size(); ++position) {
        if (layout.nodes[position].parent != parent) {
            continue;
        }
        if (!text.empty()) {
            text += " ";
        }
        text += layout.nodes[position].type->name;
        const std::string children = shapeOf(layout, static_cast<int>(position));
        if (!children.empty()) {
            text += "[" + children + "]";
        }
    }
    return text;
}

// The tree is filled from the list by adding each node as the last child of its parent, so
// the list must be a pre-order walk: each node's parent is the node before it or one of that
// node's ancestors.
bool isPreOrder(const TypeTreeLayout& layout) {
    for (std::size_t position = 0; position < layout.nodes.size(); ++position) {
        int ancestor = static_cast<int>(position) - 1;
        while (ancestor != kUnderRoot && ancestor != layout.nodes[position].parent) {
            ancestor = layout.nodes[static_cast<std::size_t>(ancestor)].parent;
        }
        if (ancestor != layout.nodes[position].parent) {
            return false;
        }
    }
    return true;
}

struct ShapeCase {
    const char* name;
    friend void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::pair<std::int32_t, std::int32_t>> types;
    std::string shape;
};

class TypeTreeShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(TypeTreeShape, EveryTypeHangsUnderItsParentInListOrder) {
    const auto types = typeList(GetParam().types);
    const TypeTreeLayout layout = layTypeTree(types, kNoTypeId);
    EXPECT_EQ(shapeOf(layout), GetParam().shape);
    EXPECT_EQ(layout.nodes.size(), types.size()) << "no type may be left without a node";
    EXPECT_TRUE(isPreOrder(layout));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TypeTreeShape,
    ::testing::Values(
        ShapeCase{"Empty", {}, ""},
        ShapeCase{"SiblingsInListOrder", {{0, -1}, {1, 0}, {2, -1}, {3, 1}, {4, 0}}, "0[1[3] 4] 2"},
        ShapeCase{"ChildListedBeforeItsParent", {{5, 7}, {7, -1}, {8, 7}}, "7[5 8]"},
        ShapeCase{"ChainListedBackwards", {{3, 2}, {2, 1}, {1, -1}}, "1[2[3]]"},
        ShapeCase{"ParentThatDoesNotExist", {{0, -1}, {1, 9}, {2, 1}}, "0 1[2]"},
        ShapeCase{"OwnParent", {{4, 4}, {5, -1}}, "4 5"},
        ShapeCase{"RingOfTwo", {{3, -1}, {1, 2}, {2, 1}}, "3 1[2]"},
        ShapeCase{"TypeBelowARing", {{9, 1}, {1, 2}, {2, 1}}, "1[9 2]"},
        // Two types with id 9: a child of 9 goes to the first in tree order, the one under 1,
        // although the other comes first in the list.
        ShapeCase{"DuplicateIdFirstInTreeOrder", {{1, -1}, {9, -1}, {9, 1}, {5, 9}}, "1[9[5]] 9"}),
    [](const ::testing::TestParamInfo<ShapeCase>& param) { return std::string(param.param.name); });

struct SelectionCase {
    const char* name;
    friend void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::pair<std::int32_t, std::int32_t>> types;
    std::int32_t selectId;
    int selectedType;  // index in the type list, or kSelectRoot / kSelectNothing
};

class TypeTreeSelection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(TypeTreeSelection, SelectsTheRequestedTypeElseTheRoot) {
    const SelectionCase& param = GetParam();
    const auto types = typeList(param.types);
    const TypeTreeLayout layout = layTypeTree(types, param.selectId);
    if (param.selectedType < 0) {
        EXPECT_EQ(layout.selected, param.selectedType);
        return;
    }
    ASSERT_GE(layout.selected, 0);
    EXPECT_EQ(layout.nodes[static_cast<std::size_t>(layout.selected)].type,
              types[static_cast<std::size_t>(param.selectedType)].get());
}

INSTANTIATE_TEST_SUITE_P(
    Selections, TypeTreeSelection,
    ::testing::Values(SelectionCase{"NoTypesSelectsNothing", {}, 0, kSelectNothing},
                      SelectionCase{"NoneAsked", {{0, -1}, {1, 0}}, kNoTypeId, kSelectRoot},
                      SelectionCase{"UnknownId", {{0, -1}, {1, 0}}, 7, kSelectRoot},
                      SelectionCase{"NestedType", {{0, -1}, {1, 0}, {2, -1}}, 1, 1},
                      SelectionCase{"LastOfTwoWithTheId", {{3, -1}, {3, -1}}, 3, 1},
                      SelectionCase{"MendedChild", {{5, 7}, {7, -1}}, 5, 0},
                      SelectionCase{"IdMinusOneIsNone", {{-1, -1}}, kNoTypeId, kSelectRoot}),
    [](const ::testing::TestParamInfo<SelectionCase>& param) {
        return std::string(param.param.name);
    });

TEST(TypeTree, AHandEditedDeepChainNeedsNoDeepRecursion) {
    std::vector<std::pair<std::int32_t, std::int32_t>> chain;
    for (std::int32_t id = 0; id < 20000; ++id) {
        chain.emplace_back(id, id - 1);
    }
    const auto types = typeList(chain);
    const TypeTreeLayout layout = layTypeTree(types, 19999);
    ASSERT_EQ(layout.nodes.size(), types.size());
    EXPECT_EQ(layout.nodes.back().parent, 19998);
    EXPECT_EQ(layout.selected, 19999);
}

}  // namespace
}  // namespace kalvo
