#pragma once
// A bus in memory: the program's server records what it serves and advises; other applications'
// servers are peers that the test starts, stops and changes.

#include "platform/DdeBus.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::test {

class FakeDdeServer final : public DdeServer {
public:
    bool serve(std::string_view service, std::string_view topic, DdeServerHandler& handler) override {
        ++Serves;
        Name = DdeBusName(service, topic);
        Handler = &handler;
        return true;
    }
    void withdraw() override {
        Name.clear();
        Handler = nullptr;
    }
    void advise(std::string_view item, std::string_view value) override {
        Advised.emplace_back(std::string(item), std::string(value));
    }

    int Serves = 0;
    std::string Name;
    DdeServerHandler* Handler = nullptr;
    std::vector<std::pair<std::string, std::string>> Advised;
};

/// Another application's server on the fake bus.
struct FakePeer {
    std::map<std::string, std::string> Items;
    std::vector<std::string> Executes;
    bool Accept = true;
};

class FakeDdeClient final : public DdeClient {
public:
    /// Starts (or restarts) a peer serving (service, topic).
    FakePeer& startPeer(std::string_view service, std::string_view topic) {
        return Peers[DdeBusName(service, topic)] = FakePeer{};
    }
    /// Stops a peer: its conversations end and their disconnect handlers run.
    void stopPeer(std::string_view service, std::string_view topic) {
        const std::string name = DdeBusName(service, topic);
        Peers.erase(name);
        for (auto it = m_open.begin(); it != m_open.end();) {
            if (it->second.Name != name) {
                ++it;
                continue;
            }
            const DdeDisconnectHandler handler = it->second.OnDisconnect;
            it = m_open.erase(it);
            if (handler)
                handler();
        }
    }
    /// A peer's item changes: every follower of it hears.
    void setPeerItem(std::string_view service, std::string_view topic, const std::string& item,
                     const std::string& value) {
        const std::string name = DdeBusName(service, topic);
        Peers.at(name).Items[item] = value;
        for (auto& [id, open] : std::map<DdeConversation, Open>(m_open))
            if (open.Name == name && m_open.contains(id))
                for (const auto& [followed, handler] : open.Followers)
                    if (followed.empty() || followed == item)
                        handler(item, value);
    }

    DdeConversation connect(std::string_view service, std::string_view topic,
                            DdeDisconnectHandler onDisconnect) override {
        ++ConnectAttempts;
        const std::string name = DdeBusName(service, topic);
        if (!Peers.contains(name))
            return 0;
        m_open[++m_lastId] = Open{name, std::move(onDisconnect), {}};
        return m_lastId;
    }
    void disconnect(DdeConversation conversation) override { m_open.erase(conversation); }
    bool connected(DdeConversation conversation) const override { return m_open.contains(conversation); }
    DdeExecuteResult execute(DdeConversation conversation, std::string_view command, int timeoutMs) override {
        LastTimeoutMs = timeoutMs;
        FakePeer* peer = peerOf(conversation);
        if (!peer)
            return DdeExecuteResult::Failed;
        peer->Executes.emplace_back(command);
        return peer->Accept ? DdeExecuteResult::Accepted : DdeExecuteResult::Refused;
    }
    DdeRequestResult request(DdeConversation conversation, std::string_view item, int) override {
        FakePeer* peer = peerOf(conversation);
        if (!peer)
            return {};
        const auto it = peer->Items.find(std::string(item));
        if (it == peer->Items.end())
            return {std::nullopt, DdeRequestError::NoSuchItem};
        return {it->second, DdeRequestError::Failed};
    }
    std::optional<std::vector<std::string>> items(DdeConversation conversation, int) override {
        FakePeer* peer = peerOf(conversation);
        if (!peer)
            return std::nullopt;
        std::vector<std::string> names;
        for (const auto& [name, value] : peer->Items)
            names.push_back(name);
        return names;
    }
    bool follow(DdeConversation conversation, std::string_view item, DdeChangeHandler onChange) override {
        const auto it = m_open.find(conversation);
        if (it == m_open.end())
            return false;
        it->second.Followers.emplace_back(std::string(item), std::move(onChange));
        return true;
    }

    /// Open conversations.
    std::size_t openConversations() const { return m_open.size(); }

    std::map<std::string, FakePeer> Peers;
    int ConnectAttempts = 0;
    int LastTimeoutMs = 0;

private:
    struct Open {
        std::string Name;
        DdeDisconnectHandler OnDisconnect;
        std::vector<std::pair<std::string, DdeChangeHandler>> Followers;
    };
    FakePeer* peerOf(DdeConversation conversation) {
        const auto it = m_open.find(conversation);
        if (it == m_open.end())
            return nullptr;
        const auto peer = Peers.find(it->second.Name);
        return peer == Peers.end() ? nullptr : &peer->second;
    }

    std::map<DdeConversation, Open> m_open;
    DdeConversation m_lastId = 0;
};

} // namespace quorvane::test
