#include "config/Preferences.h"

#include "config/ConfigLimits.h"

namespace quorvane {

PreferencesForm LoadPreferences(const Settings& s) {
    PreferencesForm form;
    form.Option2 = !s.DdeTopic.empty();
    form.Text1 = s.DdeTopic;
    // A check box shows bit 0 of its flag, so true (-1) and 1 both check it.
    form.Check1 = (s.BeepOnInput & 1) != 0;
    form.Check2 = (s.MinimizeOnActivation & 1) != 0;
    form.Check3 = (s.StartSuspended & 1) != 0;
    form.Check4 = (s.AlwaysOnTop & 1) != 0;
    form.Check5 = (s.ButtonFlags & 1) != 0;
    form.Check6 = (s.ButtonFlags & 2) != 0;
    form.Check7 = (s.ShowDateTime & 1) != 0;
    form.Text2 = s.DateTimeFormat;
    return form;
}

std::optional<std::string> ApplyPreferences(const PreferencesForm& form, Configuration& config) {
    std::string topic;
    if (form.Option2) {
        if (auto refusal = CheckDdeTopic(form.Text1))
            return refusal;
        topic = TrimBlanks(form.Text1);
    }
    config.DdeTopic = topic;
    config.BeepOnInput = toFlag(form.Check1);
    config.MinimizeOnActivation = toFlag(form.Check2);
    config.StartSuspended = toFlag(form.Check3);
    config.AlwaysOnTop = toFlag(form.Check4);
    config.ShowDateTime = toFlag(form.Check7);
    config.ButtonFlags = static_cast<std::int16_t>((form.Check5 ? 1 : 0) + (form.Check6 ? 2 : 0));
    config.DateTimeFormat = form.Text2;
    config.ConfigChanged = kTrue;
    return std::nullopt;
}

} // namespace quorvane
