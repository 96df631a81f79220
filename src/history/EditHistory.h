#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Model.h"

namespace kalvo {

// The first byte of a record of the recovery journal.
inline constexpr char kStepRecord = 'S';
inline constexpr char kUndoRecord = 'U';
inline constexpr char kRedoRecord = 'R';

// The objects whose values one user action may change. Objects the action appends to the
// model's lists or removes from them are found by the step itself.
struct EditScope {
    std::vector<EventType*> types;
    std::vector<Event*> events;
    std::vector<EventDataRow*> rows;
};

// Where a step happened, for the window to show after undoing or redoing it.
struct EditPlace {
    DateTime date = 0;
    std::int32_t rowId = -1;  // the occurrence it touched, -1 for none
};

// The steps of the user's actions that can be taken back and done again. Each step keeps only
// what it changed: the values of the changed objects before and after, and the objects it
// appended to or removed from the model's lists, which it owns while they are out of the model.
// So an object keeps its address through every undo and redo, and the links the recorded
// values hold stay valid. The id counters follow the lists and come back with them.
class EditHistory {
public:
    struct Limits {
        std::size_t steps = 1000;
        std::size_t bytes = 64 * 1024 * 1024;
    };

    explicit EditHistory(Model& model);
    EditHistory(Model& model, Limits limits);
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // Opens a step: remembers the values of the objects in `scope` and the order of the lists.
    // A step still open is ended first.
    void beginStep(std::string label, const EditScope& scope, EditPlace place);
    // Closes the open step: a step that changed nothing is forgotten, one that did drops the
    // steps that were undone. Returns whether it was kept. Nothing happens without an open
    // step.
    bool endStep();
    bool stepOpen() const;
    // The occurrence the open step touched, once it exists (a new appointment's row).
    void setStepRow(std::int32_t rowId);
    // `edit` as one whole step; an edit that fails ends its step with what it changed.
    bool record(std::string label, const EditScope& scope, EditPlace place,
                const std::function<void()>& edit);

    bool canUndo() const;
    bool canRedo() const;
    // What the next undo or redo takes back or does again, as "Move Work"; empty for none.
    std::string undoLabel() const;
    std::string redoLabel() const;
    // Take back the last step, or do the last undone one again, and say where it happened.
    EditPlace undo();
    EditPlace redo();

    // Replaces every type, appointment and row of the model by those of `replacement` as one
    // step, whose undo brings the model's own back (a restore from a backup).
    void replaceModel(std::string label, EditPlace place, Model&& replacement);
    // Whether a step that replaces `model` as a whole can keep it within the memory limit.
    bool canKeepWhole(const Model& model) const;

    // Forgets every step, for a model replaced as a whole.
    void clear();
    // The model as it stands is what the files hold; the recovery journal starts again from
    // them (also at the start of a save, and when the model is no save's), so an undo or redo
    // of a step before that goes into the journal as a step of its own.
    void markSaved();
    // No position of the steps is what the files hold: the model was replaced as a whole and
    // not saved yet.
    void markUnsaved();
    // The model as it stands is being written; once it is, markSaveWritten makes that the
    // saved position, whatever was done in between.
    void markSaveStarted();
    void markSaveWritten();
    // The model differs from what the files hold as far as the steps know.
    bool modified() const;

    std::size_t stepCount() const;
    // What the kept steps hold, in bytes.
    std::size_t memoryUse() const;

    // Told after every change of the steps or of the position in them.
    void setChangeListener(std::function<void()> listener);

    // Told each record of the recovery journal as it happens: a kept step, an undo, a redo.
    void setRecordListener(std::function<void(const std::string&)> listener);
    // Does a record again on the model it was made on (the saved files, then the records
    // before it): a step becomes a step of this history, an undo or a redo is done. Fails
    // with std::runtime_error when the record is damaged or does not fit the model.
    void replay(std::string_view record);

private:
    struct Step;
    struct OpenStep;
    // The order of the model's lists, to say later how a change moved them.
    struct ListOrders;
    // The journal record of an undo or redo of `step` that the journal's history cannot do as
    // one: the move as a step, given the lists' orders before it (none: no record wanted).
    std::string moveRecord(const Step& step, const std::string& label,
                           const std::optional<ListOrders>& before);
    // The journal's history gained a step: `serial` of ours, 0 for a move said as a step.
    void journaledAsStep(std::uint64_t serial);
    void journalStartsAnew();
    void dropOldest();
    // Forgets the marks of positions beyond the done steps, which are out of reach.
    void forgetUndoneMarks();
    void changed() const;
    // After an undo or a redo: the record told, the model's views emptied, the change told.
    void moved(const std::string& record);
    // Empties the model's views (the day's panels, the chart's rows, the selection).
    void forgetViews();

    Model& model_;
    Limits limits_;
    std::vector<std::unique_ptr<Step>> steps_;
    std::size_t done_ = 0;  // steps_[0, done_) are done, the rest undone
    // The number of done steps that matches the files; none when no position does.
    std::optional<std::size_t> saved_ = 0;
    std::optional<std::size_t> saving_;  // the same for the save being written
    std::size_t bytes_ = 0;
    std::unique_ptr<OpenStep> open_;
    std::function<void()> listener_;
    std::function<void(const std::string&)> recordListener_;
    // The steps of the history a replay of the journal builds, by serial (0: a move said as a
    // step), and how many of them are done: an undo or redo record is written only for the
    // step that history would take back or do again.
    std::uint64_t nextSerial_ = 1;
    std::vector<std::uint64_t> journaled_;
    std::size_t journaledDone_ = 0;
};

}  // namespace kalvo
