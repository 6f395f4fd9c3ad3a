#include "utils/log/textconv.h"

namespace Utils {

std::string LowerHex(const unsigned char* bytes, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0xf];
    }
    return out;
}

}  // namespace Utils
