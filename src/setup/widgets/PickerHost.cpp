#include "setup/widgets/PickerHost.h"

#include "setup/widgets/AsciiChart.h"
#include "setup/widgets/GetAKey.h"
#include "setup/widgets/GetAKey2.h"

namespace quorvane {

PickerHost::PickerHost(Configuration& config, ModalRunner& runner) : m_config(config), m_runner(runner) {}

PickerHost::~PickerHost() = default;

AsciiChart& PickerHost::asciiChart() {
    if (!m_ascii)
        m_ascii = std::make_unique<AsciiChart>(m_config, m_results);
    return *m_ascii;
}

GetAKey& PickerHost::keystrokePicker() {
    if (!m_keystroke)
        m_keystroke = std::make_unique<GetAKey>(m_config, m_results);
    return *m_keystroke;
}

std::string PickerHost::pickAscii(int helpTopic, std::vector<std::string> extraRows) {
    AsciiChart& chart = asciiChart();
    chart.setExtraRows(std::move(extraRows));
    chart.setProperty(kHelpTopicProperty, helpTopic);
    m_results.AsciiText.clear();
    m_runner.run(chart);
    return m_results.AsciiText;
}

std::string PickerHost::pickKeystroke(int helpTopic) {
    GetAKey& picker = keystrokePicker();
    picker.setProperty(kHelpTopicProperty, helpTopic);
    m_results.KeyText.clear();
    m_runner.run(picker);
    return m_results.KeyText;
}

std::string PickerHost::pickHotKey(int helpTopic) {
    if (!m_hotKey)
        m_hotKey = std::make_unique<GetAKey2>(m_config, m_results);
    m_hotKey->setProperty(kHelpTopicProperty, helpTopic);
    m_results.KeyText.clear();
    m_runner.run(*m_hotKey);
    return m_results.KeyText;
}

void PickerHost::setKeystrokeNulRow(bool shown) {
    keystrokePicker().setNulRowShown(shown);
}

} // namespace quorvane
