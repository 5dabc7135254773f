#include "setup/tables/TableDialogs.h"

#include "setup/tables/HotKeyFrm.h"
#include "setup/tables/SendStringForm.h"
#include "setup/tables/TransTbl.h"
#include "setup/widgets/PickerHost.h"

namespace quorvane {

TableDialogs::TableDialogs(Configuration& config, UserPrompts& prompts, PickerHost& pickers)
    : m_config(config), m_prompts(prompts), m_pickers(pickers) {}

TableDialogs::~TableDialogs() = default;

TransTbl& TableDialogs::translationWindow() {
    if (!m_translations)
        m_translations = std::make_unique<TransTbl>(m_config, m_prompts, m_pickers);
    return *m_translations;
}

SendStringForm& TableDialogs::outputStringEditor() {
    if (!m_strings)
        m_strings = std::make_unique<SendStringForm>(m_config, m_prompts, m_pickers);
    return *m_strings;
}

void TableDialogs::PreInTrans() {
    translationWindow().PreInTrans();
}

void TableDialogs::DefineTranslate() {
    translationWindow().DefineTranslate();
}

void TableDialogs::GetOutStrings() {
    SendStringForm& editor = outputStringEditor();
    editor.load();
    m_pickers.runner().run(editor);
}

void TableDialogs::MHKActions() {
    HotKeyFrm dialog(m_config, m_prompts, m_pickers);
    m_pickers.runner().run(dialog);
}

} // namespace quorvane
