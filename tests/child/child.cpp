#include "tests/child/child.h"

#include <cstdlib>

namespace TestChild {

namespace {

bool TakeValue(const std::string& word, const char* prefix, std::string& value) {
    const std::string p(prefix);
    if (word.compare(0, p.size(), p) != 0) {
        return false;
    }
    value = word.substr(p.size());
    return true;
}

}  // namespace

Orders ReadOrders(const std::vector<std::string>& words) {
    Orders orders;
    if (const char* out = std::getenv("TAVO_CHILD_OUT")) {
        orders.outFile = out;
    }
    if (const char* code = std::getenv("TAVO_CHILD_EXIT")) {
        orders.exitCode = std::atoi(code);
    }
    for (const std::string& word : words) {
        std::string value;
        if (TakeValue(word, "--out=", value)) {
            orders.outFile = value;
        } else if (TakeValue(word, "--exit=", value)) {
            orders.exitCode = std::atoi(value.c_str());
        } else if (TakeValue(word, "--signal=", value)) {
            orders.signal = std::atoi(value.c_str());
        }
    }
    return orders;
}

}  // namespace TestChild
