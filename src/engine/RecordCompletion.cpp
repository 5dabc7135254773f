#include "engine/Engine.h"

#include <algorithm>
#include <charconv>

namespace quorvane {

namespace {

constexpr std::size_t kKeptSlotCapacity = std::size_t{64} << 10;

} // namespace

void Engine::CompleteRecord() {
    m_state.InRecord = false;
    m_state.PrevWasSpace = false;
    QueueOutput(m_config.AckString);
    if (isSet(m_config.BeepOnInput)) {
        if (m_state.SpecialBeep != 0)
            m_services.Sounds.messageBeep(m_state.SpecialBeep);
        else
            m_services.Prompts.beep();
    }
    if (m_state.VoidPending) {
        clearRecordSlots();
        m_state.VoidPending = false;
        return;
    }

    for (int i = 1; i <= m_fieldCount; ++i)
        m_processor.ProcessField(i, m_slots);
    for (int i = 1; i <= m_fieldCount; ++i) {
        const auto* text = std::get_if<std::string>(&m_slots[static_cast<std::size_t>(i)]);
        m_services.View.setFieldText(i, text ? std::string_view(*text) : std::string_view());
    }
    ++m_state.RecordNumber;
    showRecordNumber();

    const DeliveryOutcome outcome = m_delivery->deliverRecord(m_slots, m_fieldCount);
    ++m_completedRecords;
    if (!m_observers.empty())
        notifyObservers();
    clearRecordSlots();
    if (outcome == DeliveryOutcome::Abandoned) {
        MReset_Click();
        if (!m_state.Suspended)
            SuspendMenu_Click();
        return;
    }
    if (m_state.OneRecordOnly) {
        if (!m_state.Suspended)
            SuspendMenu_Click();
        m_state.OneRecordOnly = false;
    }
}

void Engine::addRecordObserver(RecordObserver& observer) {
    if (std::find(m_observers.begin(), m_observers.end(), &observer) == m_observers.end())
        m_observers.push_back(&observer);
}

void Engine::removeRecordObserver(RecordObserver& observer) {
    std::erase(m_observers, &observer);
}

void Engine::notifyObservers() {
    const std::string port = portName();
    const CompletedRecord record{m_completedRecords,
                                 static_cast<std::int64_t>(m_state.RecordNumber),
                                 m_services.Time.unixMilliseconds(),
                                 m_services.Time.now(),
                                 port,
                                 m_slots,
                                 m_fieldCount};
    // A copy: an observer may remove itself (a window closing) while it is called.
    const std::vector<RecordObserver*> observers = m_observers;
    for (RecordObserver* observer : observers)
        observer->recordCompleted(record);
}

std::string_view CompletedRecord::field(int i) const {
    if (i < 1 || i > FieldCount)
        return {};
    const auto* text = std::get_if<std::string>(&Slots[static_cast<std::size_t>(i)]);
    return text ? std::string_view(*text) : std::string_view();
}

void Engine::showRecordNumber() {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, m_state.RecordNumber).ptr;
    m_services.View.setRecordNumber(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void Engine::RecordCutShort() {
    if (m_cutShortNoted)
        return;
    m_cutShortNoted = true;
    m_services.Prompts.messageBox("A record reached " + std::to_string(kMaxRecordBytes >> 20) +
                                      " MiB without its end: it was delivered as it stood, and framing "
                                      "started afresh. (Noted once per run.)",
                                  storeApplication(), MessageButtons::Ok, MessageIcon::Information);
}

void Engine::clearRecordSlots() {
    // Slots past the last field collect the surplus of records with too many delimiters; they are
    // emptied with the rest so that the surplus cannot pile up from record to record.
    const int last = std::min(std::max(m_fieldCount + 1, m_framing.highestFilledSlot()), kOverflowField);
    for (int i = 1; i <= last; ++i) {
        Value& slot = m_slots[static_cast<std::size_t>(i)];
        // A huge record's buffer is given back rather than kept for the next, usual, record.
        if (auto* text = std::get_if<std::string>(&slot); text && text->capacity() <= kKeptSlotCapacity)
            text->clear();
        else
            slot = std::string();
    }
    m_framing.forgetFilledSlots();
}

} // namespace quorvane
