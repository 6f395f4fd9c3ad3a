#include <fstream>
#include <iterator>

#include "utils/log/textconv.h"
#include "utils/system/arguments.h"

namespace Utils {

std::vector<std::wstring> GetProcessArguments() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::wstring> args;
    for (size_t pos = 0; pos < all.size();) {
        const size_t end = all.find('\0', pos);
        const size_t stop = end == std::string::npos ? all.size() : end;
        args.push_back(Utf8ToWide(all.substr(pos, stop - pos)));
        pos = stop + 1;
    }
    return args;
}

}  // namespace Utils
