#pragma once
// Checks that bytes are drawn visibly and distinctly: one picture per byte, each compared with the
// picture of nothing and with every other.

#include <QImage>

#include <string>
#include <vector>

namespace quorvane::test {

/// The bytes shown by signs: the control bytes 0 to 31, DEL, and the five the code page leaves
/// unassigned.
inline std::vector<unsigned char> SignedBytes() {
    std::vector<unsigned char> bytes;
    for (unsigned char b = 0; b < 32; ++b)
        bytes.push_back(b);
    bytes.insert(bytes.end(), {127, 0x81, 0x8D, 0x8F, 0x90, 0x9D});
    return bytes;
}

/// What is wrong with `pictures` (one per byte of `bytes`): a picture equal to `blank`, or two alike.
/// Empty when every byte is visible and distinct.
inline std::string BlankOrAlike(const std::vector<unsigned char>& bytes, const std::vector<QImage>& pictures,
                                const QImage& blank) {
    std::string faults;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        if (pictures[i] == blank)
            faults += "byte " + std::to_string(bytes[i]) + " is blank; ";
        for (std::size_t j = 0; j < i; ++j)
            if (pictures[i] == pictures[j])
                faults += "bytes " + std::to_string(bytes[j]) + " and " + std::to_string(bytes[i]) +
                          " look alike; ";
    }
    return faults;
}

} // namespace quorvane::test
