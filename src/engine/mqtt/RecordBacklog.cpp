#include "engine/mqtt/RecordBacklog.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace quorvane {

namespace {

// Each message: "QM", the topic's size and the payload's size (32 bits, little-endian), the topic,
// the payload.
constexpr std::size_t kHeaderSize = 10;
constexpr std::uint32_t kMaxPart = std::uint32_t{256} << 20;
// The file starts afresh once what the broker took of it reached this size: at once when the queue
// is empty, or, while records keep coming and some are always on their way, keeping the few waiting.
constexpr std::uint64_t kRestartSize = std::uint64_t{1} << 20;
constexpr std::uint64_t kMostMovedAtRestart = kRestartSize / 4;
// At most this much of the newest messages is also kept in memory.
constexpr std::uint64_t kCopiesBytes = std::uint64_t{4} << 20;

void putSize(char* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t getSize(const unsigned char* at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return value;
}

std::optional<std::uint64_t> readHeadFile(const std::string& path) {
    std::ifstream in(path);
    std::uint64_t head = 0;
    if (!(in >> head))
        return std::nullopt;
    return head;
}

} // namespace

RecordBacklog::RecordBacklog(std::string path, std::uint64_t limitBytes)
    : m_path(std::move(path)), m_limit(limitBytes) {}

RecordBacklog::~RecordBacklog() {
    close();
}

void RecordBacklog::fail(std::string_view what) {
    m_error = std::string(what) + " " + m_path + ": " + std::strerror(errno);
}

bool RecordBacklog::open(std::string& error) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ignored);
    m_file = std::fopen(m_path.c_str(), "a+b");
    if (m_file == nullptr) {
        fail("Cannot open the queue");
        error = m_error;
        return false;
    }
    std::fseek(m_file, 0, SEEK_END);
    const auto size = static_cast<std::uint64_t>(std::ftell(m_file));
    m_head = readHeadFile(m_path + ".head").value_or(0);
    if (m_head > size)
        m_head = 0;
    m_persisted = m_head;
    // Walk the messages a former run left; whatever does not read as one ends the queue.
    std::uint64_t at = m_head;
    std::uint32_t topicSize = 0;
    std::uint32_t payloadSize = 0;
    while (at < size && readHeader(at, topicSize, payloadSize) &&
           at + kHeaderSize + topicSize + payloadSize <= size) {
        at += kHeaderSize + topicSize + payloadSize;
        ++m_waiting;
    }
    if (at < size) {
        std::fflush(m_file);
        std::filesystem::resize_file(m_path, at, ignored);
    }
    m_tail = at;
    m_readAt = m_head;
    m_copiesStart = m_tail;
    return true;
}

bool RecordBacklog::readHeader(std::uint64_t at, std::uint32_t& topicSize, std::uint32_t& payloadSize) {
    std::array<unsigned char, kHeaderSize> header{};
    if (std::fseek(m_file, static_cast<long>(at), SEEK_SET) != 0 ||
        std::fread(header.data(), 1, header.size(), m_file) != header.size())
        return false;
    if (header[0] != 'Q' || header[1] != 'M')
        return false;
    topicSize = getSize(header.data() + 2);
    payloadSize = getSize(header.data() + 6);
    return topicSize <= kMaxPart && payloadSize <= kMaxPart;
}

RecordBacklog::AppendResult RecordBacklog::append(std::string_view topic, std::string_view payload) {
    if (m_file == nullptr)
        return AppendResult::Failed;
    const std::uint64_t size = kHeaderSize + topic.size() + payload.size();
    if (waitingBytes() + size > m_limit)
        return AppendResult::Full;
    if (m_waiting == 0 && m_tail >= kRestartSize && !compact())
        return AppendResult::Failed;
    if (m_waiting != 0 && m_head >= kRestartSize && waitingBytes() <= kMostMovedAtRestart && !restart())
        return AppendResult::Failed;
    std::string message(kHeaderSize, '\0');
    message[0] = 'Q';
    message[1] = 'M';
    putSize(message.data() + 2, static_cast<std::uint32_t>(topic.size()));
    putSize(message.data() + 6, static_cast<std::uint32_t>(payload.size()));
    message.append(topic);
    message.append(payload);
    if (std::fwrite(message.data(), 1, message.size(), m_file) != message.size() ||
        std::fflush(m_file) != 0) {
        fail("Cannot write the queue");
        // What was written of it is cut off again, so the file stays a list of whole messages.
        std::error_code ignored;
        std::filesystem::resize_file(m_path, m_tail, ignored);
        return AppendResult::Failed;
    }
    if (m_copies.empty())
        m_copiesStart = m_tail;
    m_copies.push_back({m_tail, {std::string(topic), std::string(payload)}});
    m_copiesBytes += size;
    while (m_copiesBytes > kCopiesBytes) {
        m_copiesBytes -=
            kHeaderSize + m_copies.front().Message.Topic.size() + m_copies.front().Message.Payload.size();
        m_copies.pop_front();
        m_copiesStart = m_copies.empty() ? m_tail + size : m_copies.front().At;
    }
    m_tail += size;
    ++m_waiting;
    return AppendResult::Stored;
}

std::optional<RecordBacklog::Entry> RecordBacklog::next() {
    if (m_file != nullptr && m_readAt < m_tail && m_readAt >= m_copiesStart && !m_copies.empty()) {
        const auto copy = std::lower_bound(m_copies.begin(), m_copies.end(), m_readAt,
                                           [](const Copy& c, std::uint64_t at) { return c.At < at; });
        if (copy != m_copies.end() && copy->At == m_readAt) {
            const std::uint64_t size =
                kHeaderSize + copy->Message.Topic.size() + copy->Message.Payload.size();
            m_readAt += size;
            m_handedSizes.push_back(size);
            ++m_handedOut;
            return copy->Message;
        }
    }
    std::uint32_t topicSize = 0;
    std::uint32_t payloadSize = 0;
    if (m_file == nullptr || m_readAt >= m_tail || !readHeader(m_readAt, topicSize, payloadSize))
        return std::nullopt;
    Entry entry;
    entry.Topic.resize(topicSize);
    entry.Payload.resize(payloadSize);
    if (std::fread(entry.Topic.data(), 1, topicSize, m_file) != topicSize ||
        std::fread(entry.Payload.data(), 1, payloadSize, m_file) != payloadSize) {
        fail("Cannot read the queue");
        return std::nullopt;
    }
    const std::uint64_t size = kHeaderSize + topicSize + payloadSize;
    m_readAt += size;
    m_handedSizes.push_back(size);
    ++m_handedOut;
    return entry;
}

void RecordBacklog::unread() {
    if (m_handedSizes.empty())
        return;
    m_readAt -= m_handedSizes.back();
    m_handedSizes.pop_back();
    --m_handedOut;
}

void RecordBacklog::rewind() {
    m_readAt = m_head;
    m_handedSizes.clear();
    m_handedOut = 0;
}

void RecordBacklog::acknowledge() {
    if (m_handedSizes.empty())
        return;
    m_head += m_handedSizes.front();
    m_handedSizes.pop_front();
    --m_handedOut;
    --m_waiting;
    forgetTakenCopies();
}

void RecordBacklog::forgetTakenCopies() {
    while (!m_copies.empty() && m_copies.front().At < m_head) {
        m_copiesBytes -=
            kHeaderSize + m_copies.front().Message.Topic.size() + m_copies.front().Message.Payload.size();
        m_copies.pop_front();
        m_copiesStart = m_copies.empty() ? m_tail : m_copies.front().At;
    }
}

// Starts the file afresh once every message in it was taken, so it does not grow while the broker
// keeps up.
bool RecordBacklog::compact() {
    std::error_code error;
    std::fflush(m_file);
    std::filesystem::resize_file(m_path, 0, error);
    if (error) {
        m_error = "Cannot empty the queue " + m_path + ": " + error.message();
        return false;
    }
    m_head = m_readAt = m_tail = 0;
    m_copies.clear();
    m_copiesStart = m_copiesBytes = 0;
    m_handedSizes.clear();
    m_handedOut = 0;
    persist();
    return true;
}

// The waiting messages move to the start of a new file that takes the old one's place. Until the head
// is written as 0, a run that starts after a crash finds the old head past the new file's end (the
// moved part is smaller than what was taken) and sends everything in it again: repeated, not lost.
bool RecordBacklog::restart() {
    const std::uint64_t keep = waitingBytes();
    std::string waiting(keep, '\0');
    if (std::fseek(m_file, static_cast<long>(m_head), SEEK_SET) != 0 ||
        std::fread(waiting.data(), 1, keep, m_file) != keep) {
        fail("Cannot read the queue");
        return false;
    }
    const std::string fresh = m_path + ".new";
    std::FILE* out = std::fopen(fresh.c_str(), "wb");
    const bool written = out != nullptr && std::fwrite(waiting.data(), 1, keep, out) == keep;
    if (out == nullptr || std::fclose(out) != 0 || !written) {
        // The old file goes on growing; the next message tries again.
        std::filesystem::remove(fresh);
        return true;
    }
    std::error_code error;
    std::filesystem::rename(fresh, m_path, error);
    if (error) {
        std::filesystem::remove(fresh, error);
        return true;
    }
    std::fclose(m_file);
    m_file = std::fopen(m_path.c_str(), "a+b");
    if (m_file == nullptr) {
        fail("Cannot open the queue");
        return false;
    }
    const std::uint64_t moved = m_head;
    m_head = 0;
    m_readAt -= moved;
    m_tail -= moved;
    m_copiesStart = m_copiesStart >= moved ? m_copiesStart - moved : 0;
    for (Copy& copy : m_copies)
        copy.At -= moved;
    persist();
    return true;
}

void RecordBacklog::persist() {
    if (m_file == nullptr || m_head == m_persisted)
        return;
    const std::string temporary = m_path + ".head.new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << m_head << '\n';
        if (!out.flush()) {
            fail("Cannot write the queue's head");
            return;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, m_path + ".head", error);
    if (!error)
        m_persisted = m_head;
}

void RecordBacklog::close() {
    if (m_file == nullptr)
        return;
    if (m_waiting == 0 && m_tail != 0)
        compact();
    persist();
    std::fclose(m_file);
    m_file = nullptr;
}

} // namespace quorvane
