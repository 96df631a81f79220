#include "history/EditHistory.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "history/EditRecord.h"

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
        if constexpr (owning) {
            // By address: a restore removes every object, and a search of the retired ones
            // for each would take the square of their number.
            std::unordered_map<const Element*, std::unique_ptr<Element>*> retiredAt;
            retiredAt.reserve(retired->size());
            for (std::unique_ptr<Element>& candidate : *retired) {
                retiredAt.emplace(candidate.get(), &candidate);
            }
            for (const auto& [position, element] : removed) {
                const auto found = retiredAt.find(element);
                if (found == retiredAt.end() || !*found->second) {
                    throw std::logic_error("an edit destroyed an object instead of removing it");
                }
                outOfList.push_back(std::move(*found->second));
            }
        } else {
            for (const auto& [position, element] : removed) {
                outOfList.push_back(element);
            }
        }
    }

    // Whether the list ends in the objects the step appended, as the step left it. Any other
    // end means the list was changed outside the history, and the undo would take out objects
    // that are not the step's.
    bool endsInAppended(const std::vector<Pointer>& list) const {
        return list.size() >= appended.size() &&
               std::equal(appended.begin(), appended.end(),
                          list.end() - static_cast<std::ptrdiff_t>(appended.size()),
                          [](const Element* object, const Pointer& entry) {
                              return object == raw(entry);
                          });
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

// Positions in `list` of the objects of `wanted`, in one pass over the list.
template <typename Element, typename List>
std::unordered_map<const Element*, std::uint32_t> positionsIn(
    const List& list, const std::unordered_set<const Element*>& wanted) {
    std::unordered_map<const Element*, std::uint32_t> positions;
    positions.reserve(wanted.size());
    for (std::size_t i = 0; i < list.size() && positions.size() < wanted.size(); ++i) {
        if (wanted.contains(raw(list[i]))) {
            positions.emplace(raw(list[i]), static_cast<std::uint32_t>(i));
        }
    }
    return positions;
}

template <typename Element>
std::function<std::uint32_t(const Element*)> positionFrom(
    const std::unordered_map<const Element*, std::uint32_t>& positions) {
    return [&positions](const Element* element) {
        const auto found = positions.find(element);
        return found == positions.end() ? kNoObject : found->second;
    };
}

template <typename Element>
std::function<Element*(std::uint32_t)> objectIn(const std::vector<std::unique_ptr<Element>>& list) {
    return [&list](std::uint32_t position) {
        return position < list.size() ? list[position].get() : nullptr;
    };
}

// The position before a step of the object at `after` after it, given the positions the step
// removed (ascending): the objects it kept keep their order.
std::uint32_t positionBefore(std::uint32_t after, const std::vector<std::uint32_t>& removed) {
    std::uint32_t before = after;
    for (const std::uint32_t position : removed) {
        if (position > before) {
            break;
        }
        ++before;
    }
    return before;
}

// The changed objects still in the model before the position `appendedFrom`, with their
// positions.
template <typename Element>
std::vector<std::pair<std::uint32_t, const Element*>> stillPresent(
    const std::vector<const Element*>& changed,
    const std::function<std::uint32_t(const Element*)>& position, std::size_t appendedFrom) {
    std::vector<std::pair<std::uint32_t, const Element*>> kept;
    for (const Element* object : changed) {
        if (const std::uint32_t index = position(object); index < appendedFrom) {
            kept.emplace_back(index, object);
        }
    }
    return kept;
}

template <typename Element>
void writePositions(RecordWriter& out,
                    const std::vector<std::pair<std::uint32_t, const Element*>>& kept) {
    out.u32(static_cast<std::uint32_t>(kept.size()));
    for (const auto& [position, value] : kept) {
        out.u32(position);
    }
}

template <typename Element>
void writeValues(RecordWriter& out,
                 const std::vector<std::pair<std::uint32_t, const Element*>>& kept,
                 const ObjectPositions& at) {
    for (const auto& [position, value] : kept) {
        writeValue(out, *value, at);
    }
}

std::vector<std::uint32_t> readPositions(RecordReader& in) {
    std::vector<std::uint32_t> positions(in.u32());
    for (std::uint32_t& position : positions) {
        position = in.u32();
    }
    return positions;
}

// What a record says of one list: the positions removed and how many objects were appended.
struct RecordedListChange {
    std::vector<std::uint32_t> removed;
    std::uint32_t appended = 0;
};

RecordedListChange readListChange(RecordReader& in) {
    RecordedListChange change;
    change.removed.resize(in.u32());
    for (std::uint32_t& position : change.removed) {
        position = in.u32();
    }
    change.appended = in.u32();
    return change;
}

// Does a recorded list change on an owning list: the removed objects go into `retired`, new
// ones are appended, to be given their values.
template <typename Element>
void applyListChange(const RecordedListChange& change, std::vector<std::unique_ptr<Element>>& list,
                     std::vector<std::unique_ptr<Element>>& retired) {
    std::unordered_set<const Element*> removed;
    for (const std::uint32_t position : change.removed) {
        if (position >= list.size()) {
            throw std::runtime_error("The recovery journal does not fit the saved database.");
        }
        removed.insert(list[position].get());
    }
    removeInto(list, retired,
               [&removed](const Element& element) { return removed.contains(&element); });
    for (std::uint32_t i = 0; i < change.appended; ++i) {
        list.push_back(std::make_unique<Element>());
    }
}

}  // namespace

struct EditHistory::Step {
    std::string label;
    EditPlace place;
    std::uint64_t serial = 0;  // names the step in the journal's mirror
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
        return sizeof(Step) + label.capacity() + bytesOf(types) + bytesOf(events) + bytesOf(rows) +
               typeList.bytes() + eventList.bytes() + rowList.bytes() + rootList.bytes();
    }

    bool listsAsLeft(const Model& model) const {
        return typeList.endsInAppended(model.types) && eventList.endsInAppended(model.events) &&
               rowList.endsInAppended(model.eventDataPanels) &&
               rootList.endsInAppended(model.rootEvents);
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

    // The record of the step for the recovery journal, on the model as the step left it.
    std::string record(const Model& model) const;

    template <typename Element>
    static void restore(const std::vector<ValueChange<Element>>& changes,
                        Element ValueChange<Element>::*value) {
        for (const ValueChange<Element>& change : changes) {
            *change.object = change.*value;
        }
    }
};

namespace {

// How one list went from the model before a change to the model after it, as a record says
// it: the positions removed from the list before, then the objects appended at its end.
template <typename Element>
struct ListTail {
    std::vector<std::uint32_t> removed;  // ascending
    std::vector<const Element*> appended;
};

template <typename Element, bool owning>
ListTail<Element> tailOf(const ListChange<Element, owning>& change) {
    ListTail<Element> tail;
    for (const auto& [position, element] : change.removed) {
        tail.removed.push_back(static_cast<std::uint32_t>(position));
    }
    tail.appended.assign(change.appended.begin(), change.appended.end());
    return tail;
}

// Any change of a list said as a tail: from the first position where the list before and the
// list after differ, the old objects are removed and the new ones appended.
template <typename Element, typename List>
ListTail<Element> tailBetween(const std::vector<Element*>& before, const List& after) {
    std::size_t same = 0;
    while (same < before.size() && same < after.size() && before[same] == raw(after[same])) {
        ++same;
    }
    ListTail<Element> tail;
    for (std::size_t i = same; i < before.size(); ++i) {
        tail.removed.push_back(static_cast<std::uint32_t>(i));
    }
    for (std::size_t i = same; i < after.size(); ++i) {
        tail.appended.push_back(raw(after[i]));
    }
    return tail;
}

template <typename Element>
void writeTail(RecordWriter& out, const ListTail<Element>& tail) {
    out.u32(static_cast<std::uint32_t>(tail.removed.size()));
    for (const std::uint32_t position : tail.removed) {
        out.u32(position);
    }
    out.u32(static_cast<std::uint32_t>(tail.appended.size()));
}

// A change of the model as one step record: the four lists' tails, then the values of the
// appended objects and of the changed ones still in the model, every link as a position in
// the model as the change left it.
struct ChangeRecord {
    std::string_view label;
    EditPlace place;
    ListTail<EventType> types;
    ListTail<Event> events;
    ListTail<EventDataRow> rows;
    ListTail<Event> roots;
    std::vector<const EventType*> changedTypes;
    std::vector<const Event*> changedEvents;
    std::vector<const EventDataRow*> changedRows;

    std::string write(const Model& model) const;
};

std::string ChangeRecord::write(const Model& model) const {
    // The objects whose positions the record names: the changed and appended ones and those
    // their links point at. Objects the change removed are gone from the model: only their
    // positions before it count.
    std::unordered_set<const Event*> linkedEvents;
    std::unordered_set<const EventDataRow*> linkedRows;
    const auto wantEvent = [&](const Event& event) {
        linkedEvents.insert(&event);
        linkedEvents.insert(event.parent);
        linkedEvents.insert(event.children.begin(), event.children.end());
        linkedRows.insert(event.eventData.begin(), event.eventData.end());
    };
    const auto wantRow = [&](const EventDataRow& row) {
        linkedRows.insert(&row);
        linkedEvents.insert(row.event);
    };
    for (const Event* event : changedEvents) {
        wantEvent(*event);
    }
    for (const EventDataRow* row : changedRows) {
        wantRow(*row);
    }
    for (const Event* event : events.appended) {
        wantEvent(*event);
    }
    for (const EventDataRow* row : rows.appended) {
        wantRow(*row);
    }
    linkedEvents.insert(roots.appended.begin(), roots.appended.end());
    linkedEvents.erase(nullptr);
    linkedRows.erase(nullptr);
    std::unordered_map<const EventType*, std::uint32_t> typePositions;  // few: all of them
    for (std::size_t i = 0; i < model.types.size(); ++i) {
        typePositions.emplace(model.types[i].get(), static_cast<std::uint32_t>(i));
    }
    const auto eventPositions = positionsIn(model.events, linkedEvents);
    const auto rowPositions = positionsIn(model.eventDataPanels, linkedRows);
    const ObjectPositions at{positionFrom(typePositions), positionFrom(eventPositions),
                             positionFrom(rowPositions)};

    RecordWriter out;
    out.u8(kStepRecord);
    out.text(label);
    out.f64(place.date);
    out.i32(place.rowId);
    writeTail(out, types);
    writeTail(out, events);
    writeTail(out, rows);
    writeTail(out, roots);
    for (const Event* root : roots.appended) {
        out.u32(at.event(root));
    }
    // The changed objects that are still in the model, by position, then the values. Those
    // among the appended ones are written with them.
    const auto keptTypes =
        stillPresent(changedTypes, at.type, model.types.size() - types.appended.size());
    const auto keptEvents =
        stillPresent(changedEvents, at.event, model.events.size() - events.appended.size());
    const auto keptRows =
        stillPresent(changedRows, at.row, model.eventDataPanels.size() - rows.appended.size());
    writePositions(out, keptTypes);
    writePositions(out, keptEvents);
    writePositions(out, keptRows);
    for (const EventType* type : types.appended) {
        writeValue(out, *type, at);
    }
    for (const Event* event : events.appended) {
        writeValue(out, *event, at);
    }
    for (const EventDataRow* row : rows.appended) {
        writeValue(out, *row, at);
    }
    writeValues(out, keptTypes, at);
    writeValues(out, keptEvents, at);
    writeValues(out, keptRows, at);
    return out.bytes();
}

template <typename Element>
std::vector<const Element*> objectsOf(const std::vector<ValueChange<Element>>& changes) {
    std::vector<const Element*> objects;
    objects.reserve(changes.size());
    for (const ValueChange<Element>& change : changes) {
        objects.push_back(change.object);
    }
    return objects;
}

}  // namespace

std::string EditHistory::Step::record(const Model& model) const {
    return ChangeRecord{label,
                        place,
                        tailOf(typeList),
                        tailOf(eventList),
                        tailOf(rowList),
                        tailOf(rootList),
                        objectsOf(types),
                        objectsOf(events),
                        objectsOf(rows)}
        .write(model);
}

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
                                                order(model_.eventDataPanels), model_.rootEvents});
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
    forgetUndoneMarks();
    bytes_ += step->bytes();
    step->serial = nextSerial_++;
    steps_.push_back(std::move(step));
    ++done_;
    journaledAsStep(steps_.back()->serial);
    if (recordListener_) {
        recordListener_(steps_.back()->record(model_));
    }
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
    for (std::optional<std::size_t>* mark : {&saved_, &saving_}) {
        if (*mark) {
            *mark = **mark == 0 ? std::nullopt : std::optional<std::size_t>(**mark - 1);
        }
    }
}

void EditHistory::forgetUndoneMarks() {
    for (std::optional<std::size_t>* mark : {&saved_, &saving_}) {
        if (*mark && **mark > done_) {
            mark->reset();
        }
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

struct EditHistory::ListOrders {
    std::vector<EventType*> types;
    std::vector<Event*> events;
    std::vector<EventDataRow*> rows;
    std::vector<Event*> roots;

    static ListOrders of(const Model& model) {
        return {order(model.types), order(model.events), order(model.eventDataPanels),
                model.rootEvents};
    }
};

EditPlace EditHistory::undo() {
    endStep();
    if (done_ == 0) {
        return {};
    }
    Step& step = *steps_[done_ - 1];
    if (!step.listsAsLeft(model_)) {
        throw std::logic_error("The step \"" + step.label +
                               "\" cannot be undone: the model was changed outside it.");
    }
    const bool topOfJournal = journaledDone_ > 0 && journaled_[journaledDone_ - 1] == step.serial;
    const std::optional<ListOrders> before =
        topOfJournal || !recordListener_ ? std::nullopt : std::optional(ListOrders::of(model_));
    --done_;
    step.undo(model_);
    if (topOfJournal) {
        --journaledDone_;
        moved(std::string(1, kUndoRecord));
    } else {
        moved(moveRecord(step, "Undo " + step.label, before));
    }
    return step.place;
}

EditPlace EditHistory::redo() {
    if (!canRedo()) {
        return {};
    }
    Step& step = *steps_[done_];
    const bool nextInJournal =
        journaledDone_ < journaled_.size() && journaled_[journaledDone_] == step.serial;
    const std::optional<ListOrders> before =
        nextInJournal || !recordListener_ ? std::nullopt : std::optional(ListOrders::of(model_));
    ++done_;
    step.redo(model_);
    if (nextInJournal) {
        ++journaledDone_;
        moved(std::string(1, kRedoRecord));
    } else {
        moved(moveRecord(step, step.label, before));
    }
    return step.place;
}

std::string EditHistory::moveRecord(const Step& step, const std::string& label,
                                    const std::optional<ListOrders>& before) {
    // The journal's history does not hold the step where an undo or redo record would find
    // it (the step was done before the journal began, or the journal's history went another
    // way): the move goes in as a step of its own, which that history can always do.
    journaledAsStep(0);
    if (!before) {
        return {};
    }
    return ChangeRecord{label,
                        step.place,
                        tailBetween(before->types, model_.types),
                        tailBetween(before->events, model_.events),
                        tailBetween(before->rows, model_.eventDataPanels),
                        tailBetween(before->roots, model_.rootEvents),
                        objectsOf(step.types),
                        objectsOf(step.events),
                        objectsOf(step.rows)}
        .write(model_);
}

void EditHistory::journaledAsStep(std::uint64_t serial) {
    journaled_.resize(journaledDone_);
    journaled_.push_back(serial);
    ++journaledDone_;
}

void EditHistory::journalStartsAnew() {
    journaled_.clear();
    journaledDone_ = 0;
}

void EditHistory::moved(const std::string& record) {
    if (recordListener_ && !record.empty()) {
        recordListener_(record);
    }
    forgetViews();
    changed();
}

void EditHistory::forgetViews() {
    // The views may point at objects a step took out: they are built again.
    model_.dayPanels.clear();
    model_.chartPanels.clear();
    model_.chartPanelDays.clear();
    model_.selectedPanel = nullptr;
    model_.hoverPanel = nullptr;
}

void EditHistory::replaceModel(std::string label, EditPlace place, Model&& replacement) {
    beginStep(std::move(label), {}, place);
    const auto replace = [](auto& list, auto& retired, auto& incoming) {
        retired.insert(retired.end(), std::make_move_iterator(list.begin()),
                       std::make_move_iterator(list.end()));
        list = std::move(incoming);
    };
    replace(model_.types, model_.removed.types, replacement.types);
    replace(model_.events, model_.removed.events, replacement.events);
    replace(model_.eventDataPanels, model_.removed.rows, replacement.eventDataPanels);
    model_.rootEvents = std::move(replacement.rootEvents);
    forgetViews();
    endStep();
}

bool EditHistory::canKeepWhole(const Model& model) const {
    std::size_t total = 0;
    for (const auto& type : model.types) {
        total += sizeof(EventType) + heapBytes(*type);
    }
    for (const auto& event : model.events) {
        total += sizeof(Event) + heapBytes(*event);
    }
    for (const auto& row : model.eventDataPanels) {
        total += sizeof(EventDataRow) + heapBytes(*row);
    }
    return total <= limits_.bytes;
}

void EditHistory::clear() {
    journalStartsAnew();
    open_.reset();
    steps_.clear();
    done_ = 0;
    saved_ = 0;
    saving_.reset();
    bytes_ = 0;
    model_.removed = {};
    changed();
}

void EditHistory::markSaved() {
    journalStartsAnew();
    saved_ = done_;
    changed();
}

void EditHistory::markUnsaved() {
    journalStartsAnew();
    saved_.reset();
    changed();
}

void EditHistory::markSaveStarted() {
    journalStartsAnew();
    saving_ = done_;
}

void EditHistory::markSaveWritten() {
    saved_ = std::exchange(saving_, std::nullopt);
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

void EditHistory::setRecordListener(std::function<void(const std::string&)> listener) {
    recordListener_ = std::move(listener);
}

void EditHistory::replay(std::string_view record) {
    // What is replayed is in the journal already.
    const auto listener = std::exchange(recordListener_, {});
    struct Restore {
        EditHistory& history;
        std::function<void(const std::string&)> listener;
        ~Restore() { history.recordListener_ = std::move(listener); }
    } restore{*this, listener};

    RecordReader in(record);
    switch (in.u8()) {
        case kUndoRecord:
            undo();
            return;
        case kRedoRecord:
            redo();
            return;
        case kStepRecord:
            break;
        default:
            throw std::runtime_error("The recovery journal is damaged.");
    }
    std::string label = in.text();
    const EditPlace place{in.f64(), in.i32()};
    const RecordedListChange typeList = readListChange(in);
    const RecordedListChange eventList = readListChange(in);
    const RecordedListChange rowList = readListChange(in);
    const RecordedListChange rootList = readListChange(in);
    std::vector<std::uint32_t> roots(rootList.appended);
    for (std::uint32_t& root : roots) {
        root = in.u32();
    }
    const std::vector<std::uint32_t> changedTypes = readPositions(in);
    const std::vector<std::uint32_t> changedEvents = readPositions(in);
    const std::vector<std::uint32_t> changedRows = readPositions(in);

    // The objects the step changes, where they are before it.
    EditScope scope;
    const auto before = [](const auto& list, std::uint32_t after,
                           const RecordedListChange& change) {
        const std::uint32_t position = positionBefore(after, change.removed);
        if (position >= list.size()) {
            throw std::runtime_error("The recovery journal does not fit the saved database.");
        }
        return list[position].get();
    };
    for (const std::uint32_t after : changedTypes) {
        scope.types.push_back(before(model_.types, after, typeList));
    }
    for (const std::uint32_t after : changedEvents) {
        scope.events.push_back(before(model_.events, after, eventList));
    }
    for (const std::uint32_t after : changedRows) {
        scope.rows.push_back(before(model_.eventDataPanels, after, rowList));
    }
    beginStep(std::move(label), scope, place);
    try {
        applyListChange(typeList, model_.types, model_.removed.types);
        applyListChange(eventList, model_.events, model_.removed.events);
        applyListChange(rowList, model_.eventDataPanels, model_.removed.rows);
        const ObjectsAt objects{objectIn(model_.types), objectIn(model_.events),
                                objectIn(model_.eventDataPanels)};
        for (auto position = rootList.removed.rbegin(); position != rootList.removed.rend();
             ++position) {
            if (*position >= model_.rootEvents.size()) {
                throw std::runtime_error("The recovery journal does not fit the saved database.");
            }
            model_.rootEvents.erase(model_.rootEvents.begin() +
                                    static_cast<std::ptrdiff_t>(*position));
        }
        for (const std::uint32_t root : roots) {
            model_.rootEvents.push_back(objects.event(root));
        }
        const auto readAppended = [&](auto& list, std::uint32_t count) {
            for (std::size_t i = list.size() - count; i < list.size(); ++i) {
                readValue(in, *list[i], objects);
            }
        };
        readAppended(model_.types, typeList.appended);
        readAppended(model_.events, eventList.appended);
        readAppended(model_.eventDataPanels, rowList.appended);
        const auto readChanged = [&](const auto& list, const std::vector<std::uint32_t>& at) {
            for (const std::uint32_t position : at) {
                if (position >= list.size()) {
                    throw std::runtime_error(
                        "The recovery journal does not fit the saved database.");
                }
                readValue(in, *list[position], objects);
            }
        };
        readChanged(model_.types, changedTypes);
        readChanged(model_.events, changedEvents);
        readChanged(model_.eventDataPanels, changedRows);
    } catch (...) {
        endStep();
        throw;
    }
    endStep();
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
