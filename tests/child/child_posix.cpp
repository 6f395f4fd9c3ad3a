#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "tests/child/child.h"

namespace TestChild {

bool WriteRecord(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".part-" + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            return false;
        }
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace TestChild

int main(int argc, char** argv) {
    std::vector<std::string> words;
    std::string record;
    for (int i = 0; i < argc; ++i) {
        words.emplace_back(argv[i]);
        record += argv[i];
        record += '\n';
    }
    const TestChild::Orders orders = TestChild::ReadOrders(words);
    if (!orders.outFile.empty() && !TestChild::WriteRecord(orders.outFile, record)) {
        return 100;
    }
    if (orders.signal != 0) {
        raise(orders.signal);
    }
    // exit() keeps the low 8 bits: -1 leaves 255, as a Windows program's -1
    // does on this side.
    return orders.exitCode;
}
