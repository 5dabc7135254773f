#pragma once
// The Define menu's translation, output string and hot key commands.

#include <memory>

#include "config/Configuration.h"
#include "platform/UserPrompts.h"

namespace quorvane {

class PickerHost;
class SendStringForm;
class TransTbl;

/// Owns the translation window and the output string editor, loaded on first use and kept (hidden)
/// until this object is destroyed; the hot key dialog is loaded for each opening. The dialogs have no
/// Qt parent: this object is their only owner.
class TableDialogs {
public:
    TableDialogs(Configuration& config, UserPrompts& prompts, PickerHost& pickers);
    ~TableDialogs();
    TableDialogs(const TableDialogs&) = delete;
    TableDialogs& operator=(const TableDialogs&) = delete;

    /// "Pre-&Input Character Translations..."
    void PreInTrans();
    /// "Pre-&Transfer Character Translations..."
    void DefineTranslate();
    /// "Serial &Output Strings..."
    void GetOutStrings();
    /// "&Hot Keys and Hot Key Actions..."
    void MHKActions();

    /// The translation window, loaded on first use.
    TransTbl& translationWindow();
    /// The output string editor, loaded on first use.
    SendStringForm& outputStringEditor();

private:
    Configuration& m_config;
    UserPrompts& m_prompts;
    PickerHost& m_pickers;
    std::unique_ptr<TransTbl> m_translations;
    std::unique_ptr<SendStringForm> m_strings;
};

} // namespace quorvane
