#include "engine/bus/DdeBridge.h"

#include "engine/Engine.h"

namespace quorvane {

DdeBridge::DdeBridge(DdeBridgeParts parts)
    : m_parts(std::move(parts)), m_client(m_parts.Client, m_parts.Trace),
      m_links(
          m_parts.Config, m_parts.Client, m_parts.Board, m_parts.Prompts,
          [this](std::string_view command) {
              // A command from the link has no one to acknowledge it to.
              if (m_commands)
                  m_commands(command);
          },
          [this](std::string_view text) { m_parts.Hoxel.QueueOutput(text); }) {
    m_parts.Items.setServer(m_parts.Server.onBus() ? &m_parts.Server : nullptr);
    m_parts.Hoxel.setDelivery(1, *this);
}

DdeBridge::~DdeBridge() {
    m_parts.Items.setServer(nullptr);
    m_parts.Server.withdraw();
}

void DdeBridge::startDdeClient() {
    m_client.CommandConversation() = 0;
    m_client.DdeClientInit();
}

void DdeBridge::stopDdeClient() {
    m_client.DdeClientDisconnect(m_client.CommandConversation());
    m_client.DdeClientUninit();
}

void DdeBridge::setServerTopic(std::string_view portName) {
    // Only the first load names the topic: a reloaded configuration keeps serving under it.
    if (m_topic == "SYSTEM")
        m_topic = m_parts.Config.DdeTopic.empty() ? std::string(portName) : m_parts.Config.DdeTopic;
    m_parts.Server.serve(kDdeServiceName, m_topic, *this);
}

DeliveryOutcome DdeBridge::deliverRecord(const FieldSlots&, int) {
    PublishRecord();
    return DeliveryOutcome::Delivered;
}

void DdeBridge::PublishRecord() {
    // The field and record number items were set when the engine showed the record in its boxes.
    const Configuration& c = m_parts.Config;
    m_client.sendRecordCommand(m_parts.Hoxel.state().DdeCommandWanted, c.DdeCommandApp, c.DdeCommandTopic,
                               c.DdeCommand);
}

bool DdeBridge::execute(std::string_view command) {
    return m_commands ? m_commands(command) : false;
}

bool DdeBridge::copyLink(std::string_view item) {
    const std::optional<std::string> text = m_parts.Items.itemText(item);
    if (!text)
        return false;
    m_parts.Board.setLink(std::string(kDdeServiceName) + "|" + m_topic + "!" + std::string(item), *text);
    return true;
}

void DdeBridge::clearFieldItems() {
    for (int i = 1; i <= m_parts.Hoxel.fieldCount(); ++i)
        m_parts.Items.setFieldText(i, "");
}

} // namespace quorvane
