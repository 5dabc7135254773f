#pragma once
// The DDE-style message bus as the logic sees it: a server that serves the runtime window's items
// and takes execute requests, and a client that executes, requests and follows items of other
// applications. Texts are byte strings in the program's code page; implementations convert.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// The longest execute command a server reads, in characters (bytes of the code page): anything
/// longer is refused unread, so no client can hold the program up with one huge text.
inline constexpr std::size_t kDdeMaxCommandLength = 262144;

/// What a server asks of its owner when a client calls it.
class DdeServerHandler {
public:
    virtual ~DdeServerHandler() = default;
    /// An execute request; true accepts it.
    virtual bool execute(std::string_view command) = 0;
    /// The text of an item, or nullopt when no item has that name.
    virtual std::optional<std::string> request(std::string_view item) = 0;
    /// A client writing an item; true accepts it.
    virtual bool poke(std::string_view item, std::string_view value) = 0;
    /// The names of the items served.
    virtual std::vector<std::string> items() = 0;
};

/// The program's own server on the bus.
class DdeServer {
public:
    virtual ~DdeServer() = default;
    /// Serves (service, topic) until withdraw(); false when the bus is absent or the name is held
    /// by another application. Serving again under another name withdraws the first.
    virtual bool serve(std::string_view service, std::string_view topic, DdeServerHandler& handler) = 0;
    /// Stops serving: every client sees its conversation end.
    virtual void withdraw() = 0;
    /// Tells every client that follows items that `item` now holds `value`.
    virtual void advise(std::string_view item, std::string_view value) = 0;
    /// False for the server of a run without a bus: no client can ever follow its items.
    virtual bool onBus() const { return true; }
};

/// A conversation with another application's server; 0 is none.
using DdeConversation = std::uint32_t;

/// How a server answered an execute.
enum class DdeExecuteResult { Accepted, Refused, Failed };

/// How a request ended.
enum class DdeRequestError { NoSuchItem, Failed };

/// A request's answer: the value, or why there is none.
struct DdeRequestResult {
    std::optional<std::string> Value;
    DdeRequestError Error = DdeRequestError::Failed;
};

/// Called when the server of a conversation goes away; the conversation is already closed.
using DdeDisconnectHandler = std::function<void()>;
/// Called with an item's name and new value each time a followed item changes.
using DdeChangeHandler = std::function<void(std::string_view item, std::string_view value)>;

/// The program as a client of other applications' servers.
class DdeClient {
public:
    virtual ~DdeClient() = default;
    /// Opens a conversation with the server of (service, topic); 0 when no server answers.
    virtual DdeConversation connect(std::string_view service, std::string_view topic,
                                    DdeDisconnectHandler onDisconnect) = 0;
    /// Closes a conversation; its disconnect handler is not called.
    virtual void disconnect(DdeConversation conversation) = 0;
    /// True while the conversation is open.
    virtual bool connected(DdeConversation conversation) const = 0;
    /// Sends an execute and waits at most `timeoutMs` for the answer.
    virtual DdeExecuteResult execute(DdeConversation conversation, std::string_view command,
                                     int timeoutMs) = 0;
    /// Asks for an item's value.
    virtual DdeRequestResult request(DdeConversation conversation, std::string_view item, int timeoutMs) = 0;
    /// The server's item names, or nullopt when it does not answer.
    virtual std::optional<std::vector<std::string>> items(DdeConversation conversation, int timeoutMs) = 0;
    /// Follows changes of `item` (every item when empty) until the conversation closes.
    virtual bool follow(DdeConversation conversation, std::string_view item, DdeChangeHandler onChange) = 0;
};

/// The bus of a run without a session bus: nothing is served and no server answers.
class NoDdeServer final : public DdeServer {
public:
    bool serve(std::string_view, std::string_view, DdeServerHandler&) override { return false; }
    void withdraw() override {}
    void advise(std::string_view, std::string_view) override {}
    bool onBus() const override { return false; }
};

class NoDdeClient final : public DdeClient {
public:
    DdeConversation connect(std::string_view, std::string_view, DdeDisconnectHandler) override { return 0; }
    void disconnect(DdeConversation) override {}
    bool connected(DdeConversation) const override { return false; }
    DdeExecuteResult execute(DdeConversation, std::string_view, int) override {
        return DdeExecuteResult::Failed;
    }
    DdeRequestResult request(DdeConversation, std::string_view, int) override { return {}; }
    std::optional<std::vector<std::string>> items(DdeConversation, int) override { return std::nullopt; }
    bool follow(DdeConversation, std::string_view, DdeChangeHandler) override { return false; }
};

/// The bus name of the server of (service, topic): both in lower case, every byte outside [a-z0-9]
/// and a leading digit written as "_" and two lower-case hex digits. Empty when either is empty.
inline std::string DdeBusName(std::string_view service, std::string_view topic) {
    if (service.empty() || topic.empty())
        return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name = "org.quorvane.dde";
    for (const std::string_view element : {service, topic}) {
        name += '.';
        bool first = true;
        for (const char c : element) {
            auto byte = static_cast<unsigned char>(c);
            if (byte >= 'A' && byte <= 'Z')
                byte = static_cast<unsigned char>(byte - 'A' + 'a');
            const bool digit = byte >= '0' && byte <= '9';
            if ((byte >= 'a' && byte <= 'z') || (digit && !first)) {
                name += static_cast<char>(byte);
            } else {
                name += '_';
                name += kHex[byte >> 4];
                name += kHex[byte & 0xF];
            }
            first = false;
        }
    }
    return name;
}

/// The object every server serves.
inline constexpr std::string_view kDdeObjectPath = "/org/quorvane/dde";
/// The interface every server serves.
inline constexpr std::string_view kDdeInterface = "org.quorvane.dde.Server";
/// The error of a request for an item the server does not have.
inline constexpr std::string_view kDdeNoSuchItemError = "org.quorvane.dde.Error.NoSuchItem";

} // namespace quorvane
