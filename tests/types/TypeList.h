#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/Model.h"

namespace kalvo::test {

// Types given as {id, parentId} pairs, named by their id and linked as a load links them.
inline std::vector<std::unique_ptr<EventType>> typeList(
    const std::vector<std::pair<std::int32_t, std::int32_t>>& idsAndParents) {
    std::vector<std::unique_ptr<EventType>> types;
    for (const auto& [id, parentId] : idsAndParents) {
        auto type = std::make_unique<EventType>();
        type->id = id;
        type->parentId = parentId;
        type->name = std::to_string(id);
        types.push_back(std::move(type));
    }
    std::unordered_map<std::int32_t, EventType*> firstWithId;
    for (const auto& type : types) {
        firstWithId.try_emplace(type->id, type.get());
    }
    for (const auto& type : types) {
        const auto parent = firstWithId.find(type->parentId);
        type->parent = parent != firstWithId.end() ? parent->second : nullptr;
    }
    return types;
}

}  // namespace kalvo::test
