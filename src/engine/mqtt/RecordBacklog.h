#pragma once
// The records that wait for the broker, on disk so that a restart of the program does not lose
// them: appended in order, handed out in order, forgotten once the broker has taken them.

#include <cstdint>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

/// A bounded queue of messages in a file. The file holds the messages back to back; a companion
/// file "<path>.head" holds where the first one the broker has not taken starts. Single-threaded.
class RecordBacklog {
public:
    struct Entry {
        std::string Topic;
        std::string Payload;
    };
    enum class AppendResult { Stored, Full, Failed };

    RecordBacklog(std::string path, std::uint64_t limitBytes);
    ~RecordBacklog();
    RecordBacklog(const RecordBacklog&) = delete;
    RecordBacklog& operator=(const RecordBacklog&) = delete;

    /// Opens or creates the file and finds the messages a former run left; a torn last message (a
    /// crash while writing) is cut off. False with `error` when the file cannot be used.
    bool open(std::string& error);
    /// Adds a message at the end, unless that would make the waiting messages larger than the bound.
    AppendResult append(std::string_view topic, std::string_view payload);
    /// The next message after those handed out since the last rewind; nullopt when none is left.
    std::optional<Entry> next();
    /// Takes back the message next() handed out last, to be handed out again.
    void unread();
    /// Hands the messages out again from the oldest one waiting (the connection was lost).
    void rewind();
    /// The oldest message waiting was taken by the broker.
    void acknowledge();
    /// Writes where the waiting messages start, if that changed; done by close() too.
    void persist();
    /// Persists and closes the file.
    void close();

    /// Messages waiting (handed out or not).
    std::uint64_t waiting() const { return m_waiting; }
    /// Messages handed out by next() and not yet acknowledged.
    std::uint64_t handedOut() const { return m_handedOut; }
    /// Bytes of the file the waiting messages take.
    std::uint64_t waitingBytes() const { return m_tail - m_head; }
    /// The description of the last failure to read or write the file.
    const std::string& lastError() const { return m_error; }
    const std::string& path() const { return m_path; }

private:
    bool readHeader(std::uint64_t at, std::uint32_t& topicSize, std::uint32_t& payloadSize);
    void forgetTakenCopies();
    bool compact();
    bool restart();
    void fail(std::string_view what);

    std::string m_path;
    std::uint64_t m_limit;
    std::FILE* m_file = nullptr;
    std::uint64_t m_head = 0;      // start of the oldest waiting message
    std::uint64_t m_readAt = 0;    // start of the next message to hand out
    std::uint64_t m_tail = 0;      // end of the file
    std::uint64_t m_persisted = 0; // the head as the companion file holds it
    std::uint64_t m_waiting = 0;
    std::uint64_t m_handedOut = 0;
    std::deque<std::uint64_t> m_handedSizes; // sizes of the messages handed out, oldest first
    // Copies of the newest messages, the file's last bytes from m_copiesStart on: while the broker
    // keeps up, what is handed out was appended moments ago and is not read back from the file.
    struct Copy {
        std::uint64_t At;
        Entry Message;
    };
    std::deque<Copy> m_copies;
    std::uint64_t m_copiesStart = 0;
    std::uint64_t m_copiesBytes = 0;
    std::string m_error;
};

} // namespace quorvane
