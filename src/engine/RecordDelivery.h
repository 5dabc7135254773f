#pragma once
// Where a completed, processed record goes: the seam of the output modes.

#include "expr/FieldSlots.h"

namespace quorvane {

/// How a delivery ended.
enum class DeliveryOutcome {
    /// The record went out (or the mode has nothing more to do).
    Delivered,
    /// The user gave up on the record; the engine resets and suspends.
    Abandoned
};

/// Output of one processed record. Called after every field has been processed, shown in its box
/// and the record counted; the engine empties the slots afterwards.
class RecordDelivery {
public:
    virtual ~RecordDelivery() = default;
    /// Delivers fields 1..fieldCount of slots.
    virtual DeliveryOutcome deliverRecord(const FieldSlots& slots, int fieldCount) = 0;
    /// The records delivered until endBatch() come from one read of the port: a delivery may keep
    /// what it opens for the first of them open for the rest.
    virtual void beginBatch() {}
    /// The read is over; whatever beginBatch() let stay open is closed.
    virtual void endBatch() {}
};

/// The delivery of the keystroke and DDE modes until their own outputs exist: the record has been
/// processed, shown and counted, and nothing more happens to it.
class ShowOnlyDelivery final : public RecordDelivery {
public:
    DeliveryOutcome deliverRecord(const FieldSlots&, int) override { return DeliveryOutcome::Delivered; }
};

} // namespace quorvane
