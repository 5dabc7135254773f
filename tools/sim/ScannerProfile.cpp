#include "sim/ScannerProfile.h"

namespace quorvane::sim {

ScannerProfile::ScannerProfile(std::uint64_t seed) : m_random(seed) {}

std::string ScannerProfile::nextRecord() {
    std::uniform_int_distribution<int> digit(0, 9);
    // A fixed GS1 prefix (Germany) makes the codes look like a real shop's stock.
    std::string code = "40";
    while (code.size() < 12)
        code.push_back(static_cast<char>('0' + digit(m_random)));
    code.push_back(ean13CheckDigit(code));
    return code + "\r\n";
}

std::string ScannerProfile::receive(std::string_view) {
    return {};
}

char ean13CheckDigit(std::string_view twelveDigits) {
    int sum = 0;
    for (std::size_t i = 0; i < twelveDigits.size() && i < 12; ++i)
        sum += (twelveDigits[i] - '0') * (i % 2 == 0 ? 1 : 3);
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

} // namespace quorvane::sim
