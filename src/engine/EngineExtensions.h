#pragma once
// The steps of the engine's lifecycle that belong to the DDE server and client, the links, the
// hot keys and the timed output. Each default does nothing until that part is built.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvane {

/// Seams called by the engine at fixed points of start-up, tick, exit and shutdown.
class EngineExtensions {
public:
    virtual ~EngineExtensions() = default;
    /// Start-up step 1: initialise the DDE client; no command conversation exists yet.
    virtual void startDdeClient() {}
    /// Start-up step 3: the DDE server topic, DdeTopic or else the port name.
    virtual void setServerTopic(std::string_view /*portName*/) {}
    /// Start-up step 17: the command and output buffer links marked for automatic start.
    virtual void establishAutoLinks() {}
    /// Start-up step 18: register the hot keys and install their handler.
    virtual void registerHotKeys() {}
    /// Tick steps 1 and 2: links requested from the Edit menu since the last tick.
    virtual void serveLinkRequests() {}
    /// Tick step 5: the timed output.
    virtual void timedOutputStep() {}
    /// Milliseconds until serveLinkRequests or timedOutputStep next has something to do on a tick:
    /// 0 for the coming tick, none while nothing is scheduled.
    virtual std::optional<std::uint32_t> msUntilTickWork() const { return std::nullopt; }
    /// Exit step 1: the setup window's caption (Test and Virtual Instrument Modes with a file).
    virtual void refreshSetupCaption() {}
    /// Exit step 2, on an exit requested by command: end the DDE server conversations.
    virtual void endServerConversations() {}
    /// Shutdown step 2: the DDE command conversation and the DDE client.
    virtual void stopDdeClient() {}
    /// Shutdown steps 3 and 4: unregister the hot keys and remove their handler.
    virtual void unregisterHotKeys() {}
};

/// Several extensions as one: each step runs in every member, in the order they were added.
class EngineExtensionList final : public EngineExtensions {
public:
    /// Adds an extension; it must outlive the list.
    void add(EngineExtensions& extension) { m_members.push_back(&extension); }

    void startDdeClient() override { each(&EngineExtensions::startDdeClient); }
    void setServerTopic(std::string_view portName) override {
        for (auto* m : m_members)
            m->setServerTopic(portName);
    }
    void establishAutoLinks() override { each(&EngineExtensions::establishAutoLinks); }
    void registerHotKeys() override { each(&EngineExtensions::registerHotKeys); }
    void serveLinkRequests() override { each(&EngineExtensions::serveLinkRequests); }
    void timedOutputStep() override { each(&EngineExtensions::timedOutputStep); }
    std::optional<std::uint32_t> msUntilTickWork() const override {
        std::optional<std::uint32_t> soonest;
        for (const auto* m : m_members)
            if (const auto due = m->msUntilTickWork())
                soonest = soonest ? std::min(*soonest, *due) : *due;
        return soonest;
    }
    void refreshSetupCaption() override { each(&EngineExtensions::refreshSetupCaption); }
    void endServerConversations() override { each(&EngineExtensions::endServerConversations); }
    void stopDdeClient() override { each(&EngineExtensions::stopDdeClient); }
    void unregisterHotKeys() override { each(&EngineExtensions::unregisterHotKeys); }

private:
    void each(void (EngineExtensions::*step)()) {
        for (auto* m : m_members)
            (m->*step)();
    }

    std::vector<EngineExtensions*> m_members;
};

} // namespace quorvane
