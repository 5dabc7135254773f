#pragma once
// The Define menu's record commands: the chain of record structure dialogs ending in the field editor.

#include <memory>

#include "config/Configuration.h"
#include "platform/UserPrompts.h"

class QWidget;

namespace quorvane {

class Delim;
class Fixed;
class PickerHost;
class RecDefs;
class RecStructure;
class Timed;

/// Owns the chain's dialogs: RecType is loaded for each opening, the others are kept (hidden) until
/// this object is destroyed, which the setup window does when the engine starts in Normal Mode.
class RecordDialogs {
public:
    RecordDialogs(Configuration& config, UserPrompts& prompts, PickerHost& pickers,
                  QWidget* parent = nullptr);
    ~RecordDialogs();
    RecordDialogs(const RecordDialogs&) = delete;
    RecordDialogs& operator=(const RecordDialogs&) = delete;

    /// "Input Data Record &Structure..." (DefineRecords): RecType, then by the end event Timed,
    /// RecStructure, Delim or Fixed, then the field editor; any Cancel ends the chain keeping what the
    /// confirmed dialogs stored. True when a setting changed; ConfigChanged is set as the dialogs say.
    bool DefineRecordStructure();

    /// The field editor, loaded on first use.
    RecDefs& fieldEditor();

private:
    bool runStructure();
    bool runFieldEditor(bool bytesDefined, bool prevNext);

    Configuration& m_config;
    UserPrompts& m_prompts;
    PickerHost& m_pickers;
    QWidget* m_parent;
    std::unique_ptr<Timed> m_timed;
    std::unique_ptr<RecStructure> m_structure;
    std::unique_ptr<Delim> m_delim;
    std::unique_ptr<Fixed> m_fixed;
    std::unique_ptr<RecDefs> m_fields;
};

} // namespace quorvane
