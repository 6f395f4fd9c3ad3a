#include "services/installer_trust.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "utils/http/http.h"
#include "utils/log/log.h"
#include "utils/system/faults.h"
#include "utils/system/signature.h"

namespace Services {

namespace {

constexpr int kFaultCode = 900;

// No SHA-256 text is this: it stands for a malformed entry, which must keep
// signatures required without matching anything.
constexpr const char* kMatchesNothing = "-";

std::mutex& PinsMutex() {
    static std::mutex m;
    return m;
}

std::vector<std::string>& Pins() {
    static std::vector<std::string> pins;
    return pins;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool SetInstallerSignerPins(const std::string& list) {
    std::vector<std::string> pins;
    bool wellFormed = true;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of(";,", start);
        end = end == std::string::npos ? list.size() : end;
        std::string entry = Trim(list.substr(start, end - start));
        if (!entry.empty()) {
            if (Utils::IsSha256Text(entry)) {
                std::transform(entry.begin(), entry.end(), entry.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                pins.push_back(entry);
            } else {
                LOG_ERROR("not a signer fingerprint: ", entry);
                pins.push_back(kMatchesNothing);
                wellFormed = false;
            }
        }
        start = end + 1;
    }
    std::lock_guard<std::mutex> lock(PinsMutex());
    Pins() = std::move(pins);
    return wellFormed;
}

std::vector<std::string> InstallerSignerPins() {
    std::lock_guard<std::mutex> lock(PinsMutex());
    return Pins();
}

bool InstallerMayRun(const Utils::HeldFile& file, const std::wstring& path) {
    const std::vector<std::string> pins = InstallerSignerPins();
    if (pins.empty() || !Utils::PlatformChecksSignatures()) {
        return true;
    }
    const Utils::SignatureCheck check = Utils::VerifyFileSignature(file, path, pins);
    if (check.accepted) {
        LOG_INFO("the full installer's signature is accepted: ", check.text);
        return true;
    }
    LOG_ERROR("the full installer's signature is refused: ", check.text);
    Utils::ReportFault("services-11", kFaultCode, check.text, false);
    return false;
}

}  // namespace Services
