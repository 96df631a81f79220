#include "db/EditHistory.h"

#include <stdexcept>
#include <unordered_set>
#include <utility>

namespace kalvo {
namespace {

template <typename Element>
Element* raw(const std::unique_ptr<Element>& element) {
    return element.get();
}

template <typename Element>
Element* raw(Element* element) {
    return element;
}

// What the values of one object hold beyond the object itself, roughly.
std::size_t heapBytes(const EventType& type) {
    return type.name.capacity() + type.comment.capacity() + type.longComment.capacity() +
           type.beforeAlarmFile.capacity() + type.afterAlarmFile.capacity();
}

std::size_t heapBytes(const Event& event) {
    return (event.eventData.capacity() + event.children.capacity()) * sizeof(void*);
}

std::size_t heapBytes(const EventDataRow& row) {
    return row.typeName.capacity() + row.comment.capacity() + row.originalComment.capacity();
}

// One object's values before and after a step.
template <typename Element>
struct ValueChange {
    Element* object;
    Element before;
    Element after;
};

// How a step changed one list: the objects it removed, with their positions before it, and
// those it appended. An owning list's objects are owned by the step while they are out of it.
template <typename Element, bool owning>
struct ListChange {
    using Pointer = std::conditional_t<owning, std::unique_ptr<Element>, Element*>;

    std::vector<std::pair<std::size_t, Element*>> removed;  // by position, ascending
    std::vector<Element*> appended;
    std::vector<Pointer> outOfList;  // removed ones while done, appended ones while undone

    // Finds what changed from `before` to the list as it stands: the step only removes and
    // appends. Removed objects of an owning list are taken from `retired`.
    void record(const std::vector<Element*>& before, std::vector<Pointer>& list,
                std::vector<std::unique_ptr<Element>>* retired) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (kept < list.size() && raw(list[kept]) == before[i]) {
                ++kept;
            } else {
                removed.emplace_back(i, before[i]);
            }
        }
        for (std::size_t i = kept; i < list.size(); ++i) {
            appended.push_back(raw(list[i]));
        }
        for (const auto& [position, element] : removed) {
            if constexpr (owning) {
                outOfList.push_back(takeFrom(*retired, element));
            } else {
                outOfList.push_back(element);
            }
        }
    }

    static std::unique_ptr<Element> takeFrom(std::vector<std::unique_ptr<Element>>& retired,
                                             Element* element) {
        for (std::unique_ptr<Element>& candidate : retired) {
            if (candidate.get() == element) {
                return std::move(candidate);
            }
        }
        throw std::logic_error("an edit destroyed an object instead of removing it");
    }

    // Back to the list before the step: the appended objects out, the removed ones in again.
    void undo(std::vector<Pointer>& list) {
        const auto firstAppended = list.end() - static_cast<std::ptrdiff_t>(appended.size());
        std::vector<Pointer> taken(std::make_move_iterator(firstAppended),
                                   std::make_move_iterator(list.end()));
        list.erase(firstAppended, list.end());
        if (removed.empty()) {
            outOfList = std::move(taken);
            return;  // the common step: no pass over the whole list
        }
        std::vector<Pointer> restored;
        restored.reserve(list.size() + removed.size());
        std::size_t next = 0;
        for (std::size_t i = 0; i < removed.size(); ++i) {
            while (restored.size() < removed[i].first) {
                restored.push_back(std::move(list[next++]));
            }
            restored.push_back(std::move(outOfList[i]));
        }
        while (next < list.size()) {
            restored.push_back(std::move(list[next++]));
        }
        list = std::move(restored);
        outOfList = std::move(taken);
    }

    // The step again: the removed objects out, the appended ones in again.
    void redo(std::vector<Pointer>& list) {
        std::vector<Pointer> appendedAgain = std::move(outOfList);
        outOfList.clear();
        if (removed.empty()) {
            list.insert(list.end(), std::make_move_iterator(appendedAgain.begin()),
                        std::make_move_iterator(appendedAgain.end()));
            return;
        }
        std::vector<Pointer> kept;
        kept.reserve(list.size() - removed.size() + appendedAgain.size());
        std::size_t next = 0;
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (next < removed.size() && removed[next].first == i) {
                outOfList.push_back(std::move(list[i]));
                ++next;
            } else {
                kept.push_back(std::move(list[i]));
            }
        }
        for (Pointer& element : appendedAgain) {
            kept.push_back(std::move(element));
        }
        list = std::move(kept);
    }

    bool empty() const { return removed.empty() && appended.empty(); }

    std::size_t bytes() const {
        std::size_t total = (removed.capacity() + appended.capacity() + outOfList.capacity()) *
                            sizeof(std::pair<std::size_t, Element*>);
        if constexpr (owning) {
            for (const Pointer& element : outOfList) {
                total += sizeof(Element) + heapBytes(*element);
            }
        }
        return total;
    }
};

template <typename Element>
std::vector<Element*> order(const std::vector<std::unique_ptr<Element>>& list) {
    std::vector<Element*> pointers;
    pointers.reserve(list.size());
    for (const auto& element : list) {
        pointers.push_back(element.get());
    }
    return pointers;
}

// The values of the objects of a scope, each once, as they were when the step began.
template <typename Element>
std::vector<std::pair<Element*, Element>> valuesOf(const std::vector<Element*>& scope) {
    std::vector<std::pair<Element*, Element>> values;
    values.reserve(scope.size());
    std::unordered_set<const Element*> seen;
    for (Element* element : scope) {
        if (element != nullptr && seen.insert(element).second) {
            values.emplace_back(element, *element);
        }
    }
    return values;
}

template <typename Element>
std::vector<ValueChange<Element>> changesOf(std::vector<std::pair<Element*, Element>>& values) {
    std::vector<ValueChange<Element>> changes;
    for (auto& [object, before] : values) {
        if (!(*object == before)) {
            changes.push_back({object, std::move(before), *object});
        }
    }
    return changes;
}

template <typename Element>
std::size_t bytesOf(const std::vector<ValueChange<Element>>& changes) {
    std::size_t total = changes.capacity() * sizeof(ValueChange<Element>);
    for (const ValueChange<Element>& change : changes) {
        total += heapBytes(change.before) + heapBytes(change.after);
    }
    return total;
}

}  // namespace

struct EditHistory::Step {
    std::string label;
    EditPlace place;
    std::vector<ValueChange<EventType>> types;
    std::vector<ValueChange<Event>> events;
    std::vector<ValueChange<EventDataRow>> rows;
    ListChange<EventType, true> typeList;
    ListChange<Event, true> eventList;
    ListChange<EventDataRow, true> rowList;
    ListChange<Event, false> rootList;

    bool empty() const {
        return types.empty() && events.empty() && rows.empty() && typeList.empty() &&
               eventList.empty() && rowList.empty() && rootList.empty();
    }

    std::size_t bytes() const {
        return sizeof(Step) + label.capacity() + bytesOf(types) + bytesOf(events) +
               bytesOf(rows) + typeList.bytes() + eventList.bytes() + rowList.bytes() +
               rootList.bytes();
    }

    void undo(Model& model) {
        typeList.undo(model.types);
        eventList.undo(model.events);
        rowList.undo(model.eventDataPanels);
        rootList.undo(model.rootEvents);
        restore(types, &ValueChange<EventType>::before);
        restore(events, &ValueChange<Event>::before);
        restore(rows, &ValueChange<EventDataRow>::before);
    }

    void redo(Model& model) {
        restore(types, &ValueChange<EventType>::after);
        restore(events, &ValueChange<Event>::after);
        restore(rows, &ValueChange<EventDataRow>::after);
        typeList.redo(model.types);
        eventList.redo(model.events);
        rowList.redo(model.eventDataPanels);
        rootList.redo(model.rootEvents);
    }

    template <typename Element>
    static void restore(const std::vector<ValueChange<Element>>& changes,
                        Element ValueChange<Element>::*value) {
        for (const ValueChange<Element>& change : changes) {
            *change.object = change.*value;
        }
    }
};

struct EditHistory::OpenStep {
    std::string label;
    EditPlace place;
    std::vector<std::pair<EventType*, EventType>> types;
    std::vector<std::pair<Event*, Event>> events;
    std::vector<std::pair<EventDataRow*, EventDataRow>> rows;
    std::vector<EventType*> typeOrder;
    std::vector<Event*> eventOrder;
    std::vector<EventDataRow*> rowOrder;
    std::vector<Event*> rootOrder;
};

EditHistory::EditHistory(Model& model) : EditHistory(model, Limits{}) {}

EditHistory::EditHistory(Model& model, Limits limits) : model_(model), limits_(limits) {}

EditHistory::~EditHistory() = default;

void EditHistory::beginStep(std::string label, const EditScope& scope, EditPlace place) {
    endStep();
    model_.removed = {};
    open_ = std::make_unique<OpenStep>(OpenStep{std::move(label), place, valuesOf(scope.types),
                                                valuesOf(scope.events), valuesOf(scope.rows),
                                                order(model_.types), order(model_.events),
                                                order(model_.eventDataPanels),
                                                model_.rootEvents});
}

bool EditHistory::endStep() {
    if (!open_) {
        return false;
    }
    const std::unique_ptr<OpenStep> open = std::move(open_);
    auto step = std::make_unique<Step>();
    step->label = std::move(open->label);
    step->place = open->place;
    step->typeList.record(open->typeOrder, model_.types, &model_.removed.types);
    step->eventList.record(open->eventOrder, model_.events, &model_.removed.events);
    step->rowList.record(open->rowOrder, model_.eventDataPanels, &model_.removed.rows);
    step->rootList.record(open->rootOrder, model_.rootEvents, nullptr);
    step->types = changesOf(open->types);
    step->events = changesOf(open->events);
    step->rows = changesOf(open->rows);
    // What was appended and removed again inside the step never was in the model.
    model_.removed = {};
    if (step->empty()) {
        return false;
    }
    while (steps_.size() > done_) {
        bytes_ -= steps_.back()->bytes();
        steps_.pop_back();
    }
    if (saved_ && *saved_ > done_) {
        saved_.reset();  // the saved state was undone and is now out of reach
    }
    bytes_ += step->bytes();
    steps_.push_back(std::move(step));
    ++done_;
    while (steps_.size() > 1 && (steps_.size() > limits_.steps || bytes_ > limits_.bytes)) {
        dropOldest();
    }
    changed();
    return true;
}

bool EditHistory::record(std::string label, const EditScope& scope, EditPlace place,
                         const std::function<void()>& edit) {
    beginStep(std::move(label), scope, place);
    try {
        edit();
    } catch (...) {
        endStep();
        throw;
    }
    return endStep();
}

bool EditHistory::stepOpen() const {
    return open_ != nullptr;
}

void EditHistory::setStepRow(std::int32_t rowId) {
    if (open_) {
        open_->place.rowId = rowId;
    }
}

void EditHistory::dropOldest() {
    bytes_ -= steps_.front()->bytes();
    steps_.erase(steps_.begin());
    --done_;
    if (saved_) {
        saved_ = *saved_ == 0 ? std::nullopt : std::optional<std::size_t>(*saved_ - 1);
    }
}

bool EditHistory::canUndo() const {
    return done_ > 0 || open_ != nullptr;
}

bool EditHistory::canRedo() const {
    return done_ < steps_.size() && open_ == nullptr;
}

std::string EditHistory::undoLabel() const {
    if (open_) {
        return open_->label;
    }
    return done_ > 0 ? steps_[done_ - 1]->label : std::string();
}

std::string EditHistory::redoLabel() const {
    return canRedo() ? steps_[done_]->label : std::string();
}

EditPlace EditHistory::undo() {
    endStep();
    if (done_ == 0) {
        return {};
    }
    Step& step = *steps_[--done_];
    step.undo(model_);
    model_.dayPanels.clear();
    model_.chartPanels.clear();
    model_.selectedPanel = nullptr;
    model_.hoverPanel = nullptr;
    changed();
    return step.place;
}

EditPlace EditHistory::redo() {
    if (!canRedo()) {
        return {};
    }
    Step& step = *steps_[done_++];
    step.redo(model_);
    model_.dayPanels.clear();
    model_.chartPanels.clear();
    model_.selectedPanel = nullptr;
    model_.hoverPanel = nullptr;
    changed();
    return step.place;
}

void EditHistory::clear() {
    open_.reset();
    steps_.clear();
    done_ = 0;
    saved_ = 0;
    bytes_ = 0;
    model_.removed = {};
    changed();
}

void EditHistory::markSaved() {
    saved_ = done_;
    changed();
}

bool EditHistory::modified() const {
    return saved_ != done_ || open_ != nullptr;
}

std::size_t EditHistory::stepCount() const {
    return steps_.size();
}

std::size_t EditHistory::memoryUse() const {
    return bytes_;
}

void EditHistory::setChangeListener(std::function<void()> listener) {
    listener_ = std::move(listener);
}

void EditHistory::changed() const {
    if (listener_) {
        listener_();
    }
}

}  // namespace kalvo
