#include "setup/records/RecordDialogs.h"

#include "setup/records/Delim.h"
#include "setup/records/Fixed.h"
#include "setup/records/RecDefs.h"
#include "setup/records/RecStructure.h"
#include "setup/records/RecType.h"
#include "setup/records/Timed.h"
#include "setup/widgets/PickerHost.h"

namespace quorvane {

namespace {

template <typename T, typename... Args>
T& loaded(std::unique_ptr<T>& dialog, Args&&... args) {
    if (!dialog)
        dialog = std::make_unique<T>(std::forward<Args>(args)...);
    return *dialog;
}

} // namespace

RecordDialogs::RecordDialogs(Configuration& config, UserPrompts& prompts, PickerHost& pickers,
                             QWidget* parent)
    : m_config(config), m_prompts(prompts), m_pickers(pickers), m_parent(parent) {}

RecordDialogs::~RecordDialogs() = default;

RecDefs& RecordDialogs::fieldEditor() {
    return loaded(m_fields, m_config, m_prompts, m_pickers, m_parent);
}

bool RecordDialogs::DefineRecordStructure() {
    const Settings before = m_config;
    ModalRunner& runner = m_pickers.runner();
    {
        RecType recType(m_config, m_prompts, m_pickers, m_parent);
        if (runner.run(recType) != QDialog::Accepted)
            return before != m_config;
    }
    switch (m_config.EndOfRecordEvent) {
    case 1: {
        Timed& timed = loaded(m_timed, m_config, m_prompts, m_parent);
        timed.load();
        if (runner.run(timed) == QDialog::Accepted)
            runStructure();
        break;
    }
    case 2: {
        Fixed& fixed = loaded(m_fixed, m_config, m_prompts, m_parent);
        fixed.load();
        if (runner.run(fixed) == QDialog::Accepted)
            runFieldEditor(true, true);
        break;
    }
    default:
        runStructure();
        break;
    }
    return before != m_config;
}

bool RecordDialogs::runStructure() {
    RecStructure& structure = loaded(m_structure, m_config, m_parent);
    structure.load();
    if (m_pickers.runner().run(structure) != QDialog::Accepted)
        return false;
    switch (m_config.RecordStructure) {
    case 0:
        return runFieldEditor(false, false);
    case 1: {
        Delim& delim = loaded(m_delim, m_config, m_prompts, m_parent);
        delim.load();
        if (m_pickers.runner().run(delim) != QDialog::Accepted)
            return false;
        return runFieldEditor(false, true);
    }
    default:
        return runFieldEditor(false, true);
    }
}

bool RecordDialogs::runFieldEditor(bool bytesDefined, bool prevNext) {
    RecDefs& editor = fieldEditor();
    editor.prepare(bytesDefined, prevNext);
    return m_pickers.runner().run(editor) == QDialog::Accepted;
}

} // namespace quorvane
