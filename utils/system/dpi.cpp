#include <cstdlib>
#include <cstring>

#include "utils/system/dpi.h"

namespace Utils {

double DpiToScale(int dpi) {
    const double scale = 1.0 + (dpi - 96) / 24.0 * 0.25;
    return scale < 1.0 ? 1.0 : scale;
}

int ParseXftDpi(const char* resources) {
    static const char kKey[] = "Xft.dpi:";
    for (const char* line = resources; line != nullptr && *line != '\0';) {
        if (std::strncmp(line, kKey, sizeof kKey - 1) == 0) {
            // Values may be written as 144 or 144.0; whole dots are enough.
            const double dpi = std::strtod(line + sizeof kKey - 1, nullptr);
            return dpi > 0 && dpi < 10000 ? static_cast<int>(dpi) : 0;
        }
        line = std::strchr(line, '\n');
        if (line != nullptr) {
            ++line;
        }
    }
    return 0;
}

}  // namespace Utils
