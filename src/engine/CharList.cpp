#include "engine/CharList.h"

namespace quorvane {

std::string DecodeCharList(std::string_view text) {
    std::string out;
    bool literal = false;
    bool inNumber = false;
    unsigned number = 0;
    const auto endNumber = [&] {
        if (inNumber)
            out += static_cast<char>(number);
        inNumber = false;
        number = 0;
    };
    for (const char ch : text) {
        if (ch == '\'') {
            endNumber();
            literal = !literal;
        } else if (literal) {
            out += ch;
        } else if (ch >= '0' && ch <= '9') {
            inNumber = true;
            // Only the value modulo 256 matters, so long runs of digits cannot overflow.
            number = (number * 10 + static_cast<unsigned>(ch - '0')) % 256;
        } else {
            endNumber();
        }
    }
    endNumber();
    return out;
}

} // namespace quorvane
