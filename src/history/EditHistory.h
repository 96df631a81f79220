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

    // Forgets every step, for a model replaced as a whole.
    void clear();
    // The model as it stands is what the files hold.
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
    void dropOldest();
    // Forgets the marks of positions beyond the done steps, which are out of reach.
    void forgetUndoneMarks();
    void changed() const;
    // After an undo or a redo: the record told, the model's views emptied, the change told.
    void moved(char record);

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
};

}  // namespace kalvo
