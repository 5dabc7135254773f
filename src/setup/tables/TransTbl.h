#pragma once
// TransTbl: the translation table window, over the pre-input table or the pre-transfer table of the
// output mode. Changes go to the settings at once; there is no cancel.

#include <QDialog>

#include "config/Configuration.h"
#include "config/TranslationRules.h"
#include "platform/UserPrompts.h"

namespace quorvane {

class ColumnList;
class PickerHost;

/// The translation table window. It stays loaded (hidden) between openings; the kind is set by each.
class TransTbl : public QDialog {
    Q_OBJECT
public:
    TransTbl(Configuration& config, UserPrompts& prompts, PickerHost& pickers, QWidget* parent = nullptr);

    /// "Pre-Transfer Character Translations..." (DefineTranslate): the table of the output mode.
    void DefineTranslate();
    /// "Pre-Input Character Translations..." (PreInTrans): the pre-input table, with the ASCII
    /// chart's " Ignore" and " Void Record" rows while the window is open.
    void PreInTrans();
    /// The kind set by the last opening.
    TranslationKind kind() const { return m_kind; }

private:
    void open(const TranslationOpening& opening, int helpTopic);
    void translate();
    void resetAll();
    void rewriteRows();
    void rewriteRow(int code);

    Configuration& m_config;
    UserPrompts& m_prompts;
    PickerHost& m_pickers;
    TranslationKind m_kind = TranslationKind::Keystroke;
    int m_helpTopic = 370;
    ColumnList* m_table;
};

} // namespace quorvane
