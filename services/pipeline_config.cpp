#include "services/pipeline_config.h"

#include <cerrno>
#include <cstdlib>
#include <cwchar>
#include <limits>

#include "services/deployment.h"
#include "utils/log/log.h"
#include "utils/system/arguments.h"

bool releaseMode = true;
int64_t diskThresholdGb = 1;
std::vector<std::string> productionBaseUrls = {Services::Deployment::kProductionBaseUrl1,
                                               Services::Deployment::kProductionBaseUrl2};
std::vector<std::string> testBaseUrls = {Services::Deployment::kTestBaseUrl};
std::vector<std::string> activeBaseUrls;
std::vector<std::string> reportUrls;
std::vector<std::string> editionUrls;
std::atomic<int32_t> doWorkTotalTime{0};
std::atomic<int32_t> downloadVersionTime{0};
std::atomic<int32_t> excuteVersionTime{0};
bool progressEnabled = false;

namespace {

// The integer after the argument's first '=', read like a base-10 signed
// conversion (leading blanks and a sign allowed, stopping at the first
// non-digit); 1 when there is none or it leaves the signed 32-bit range.
int64_t DiskThreshold(const std::wstring& arg) {
    const size_t eq = arg.find(L'=');
    const wchar_t* text = arg.c_str() + (eq == std::wstring::npos ? arg.size() : eq + 1);
    wchar_t* end = nullptr;
    errno = 0;
    const long long value = std::wcstoll(text, &end, 10);
    if (end == text || errno == ERANGE || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        return 1;
    }
    return value;
}

}  // namespace

void ParseCommandLine(const std::vector<std::wstring>& args) {
    LOG_ENTRY();
    releaseMode = true;
    diskThresholdGb = 1;
    for (size_t i = 1; i < args.size(); ++i) {
        // Substring matches, not prefixes: x--testy switches to test mode too.
        if (args[i].find(L"--test") != std::wstring::npos) {
            releaseMode = false;
        } else if (args[i].find(L"--disk=") != std::wstring::npos) {
            diskThresholdGb = DiskThreshold(args[i]);
        }
    }
    testBaseUrls = {Services::Deployment::kTestBaseUrl};
    const char* override = std::getenv(kTestBaseUrlVariable);
    if (!releaseMode && override != nullptr && *override != '\0') {
        testBaseUrls = {override};
    }
    activeBaseUrls = releaseMode ? productionBaseUrls : testBaseUrls;
    reportUrls.clear();
    editionUrls.clear();
    for (const std::string& base : activeBaseUrls) {
        reportUrls.push_back(base + "/browser/c/boostrap/report");
        editionUrls.push_back(base + "/browser/c/boostrap/getEdition");
    }
    LOG_INFO("releaseMode:", releaseMode ? "1" : "0",
             ",diskThresholdGb:", std::to_string(diskThresholdGb),
             ",service:", activeBaseUrls.front());
}

void ParseCommandLine() {
    ParseCommandLine(Utils::GetProcessArguments());
}
