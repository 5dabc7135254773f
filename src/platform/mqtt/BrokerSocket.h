#pragma once
// Finding and watching the socket that Paho's synchronous client opened to the broker. Paho does not
// hand it out; it is the one TCP socket to the broker's port that appeared while connecting.

#include <cstdint>
#include <set>
#include <string_view>
#include <sys/types.h>

namespace quorvane {

/// The inode numbers of the process's open sockets.
std::set<ino_t> OpenSocketInodes();

/// The descriptor of the one TCP socket connected to `port` that is not among `before`; -1 when there
/// is none or more than one.
int FindNewBrokerSocket(const std::set<ino_t>& before, int port);

/// The port of "mqtt://host:port" or "mqtts://host:port" (1883 or 8883 when none is given); 0 when
/// the URL has no usable port.
int BrokerPort(std::string_view url);

/// Bytes written to `fd` that the peer has not acknowledged yet; 0 when unknown.
std::uint64_t UnsentBytes(int fd);

} // namespace quorvane
