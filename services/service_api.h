// The two requests to the product's service: the report (start and end of a
// run) and the edition request (which full installer to fetch), and the
// judging of the answer envelope both share.
//
// Threads: the start report and the edition request run on the worker; the
// final report on the window's thread. Nothing here keeps state.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "services/device_info.h"
#include "services/stages.h"
#include "services/status_codes.h"

namespace Services {

// Posts the report of `type` ("1" at the start, "0" at the end of a run) to
// `url`: the fingerprint, the UUID, this program's name and version, the
// mode's channel, the installed browser's folder, `statusCode` and the
// timings (end report only), and the tail of the log (the previous run's for
// the start report, this run's for the end report; its last 51200 bytes,
// unchanged). On acceptance that log file is deleted. Returns 0, 1008 when
// the POST failed, or HandleResult's code.
int UploadCountInfo(const std::string& url, const DeviceInfo& device, const std::wstring& uuid,
                    uint8_t type, int32_t statusCode, std::wstring appVersion);

// Asks `url` which full installer to download. On 0, `installUrl` holds the
// installer's URL, and each of the other outputs holds the URL that the
// answer carries for it ("config", "Bookmarks", "Favicons", "ImportRule.ini",
// "TopSites.ini"); outputs whose key is absent are left untouched. Returns 0,
// 1013 when the POST failed, 1003 without "data", 1006 without
// "data"/"installDownpath", or HandleResult's code.
int RequestDownloadUrl(const std::string& url, const DeviceInfo& device, std::string& installUrl,
                       std::string& configUrl, std::wstring& bookmarkUrl, std::wstring& faviconUrl,
                       std::wstring& importRuleUrl, std::wstring& topSitesUrl);

// RequestDownloadUrl that also reads what the answer says about the two
// downloads into `digests`: "installSha256" (64 hexadecimal digits, either
// case) and "installSize" (an integer of bytes, 0 or more) inside "data",
// "configSha256" at the top. Absent or null: not said (left empty). Any
// other value is a bad answer: 1006 with the fault "services-9".
int RequestDownloadUrl(const std::string& url, const DeviceInfo& device, std::string& installUrl,
                       std::string& configUrl, std::wstring& bookmarkUrl, std::wstring& faviconUrl,
                       std::wstring& importRuleUrl, std::wstring& topSitesUrl,
                       DownloadDigests& digests);

// Judges an answer body. Returns 0 when it is a JSON object whose "code" is
// 0 (`document` then holds it); else 1003 (empty), 1004 (no JSON), 1006 (no
// object, or no "code") or 1007 (another code), with `document` holding a
// "msg" that says why, and the answer queued as a fault.
int HandleResult(const std::string& answer, nlohmann::json& document);

}  // namespace Services
