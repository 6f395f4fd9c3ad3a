// The run's status codes: what `m_iStatusCode` holds when the run ends, and
// what the final report sends as "statusCode". 0 is success. Codes are never
// reused for another meaning.
#pragma once

#include <cstdint>

inline constexpr int32_t kStatusSuccess = 0;
// The window ended the run after two minutes without an error on screen.
inline constexpr int32_t kStatusForcedEnd = 1001;
// The installation UUID could not be computed.
inline constexpr int32_t kStatusUuidFailed = 1002;
// Answers of the service (report and edition request).
inline constexpr int32_t kStatusEmptyAnswer = 1003;   // empty; edition answer without "data"
inline constexpr int32_t kStatusNotJson = 1004;       // the answer is no JSON
inline constexpr int32_t kStatusMissingField = 1006;  // no "code"; no "data"/"installDownpath"
inline constexpr int32_t kStatusRefused = 1007;       // a "code" other than 0
inline constexpr int32_t kStatusReportFailed = 1008;  // the report's POST failed
// The launch found no installer to run.
inline constexpr int32_t kStatusNoInstallerPath = 1009;   // the download left no path
inline constexpr int32_t kStatusInstallerMissing = 1010;  // the downloaded file is gone
// 1011 and 1012 are not used.
inline constexpr int32_t kStatusEditionFailed = 1013;   // the edition request's POST failed
inline constexpr int32_t kStatusDownloadFailed = 1014;  // the installer download failed
// The run stopped on request (the window's Close button, an outside stop
// request, a cancelled download) before the full installer ran and before
// any failure was recorded.
inline constexpr int32_t kStatusStoppedOnRequest = 1015;
// The full installer was not run: its signature failed the check or its
// signer is none of the build's pinned signers (Windows).
inline constexpr int32_t kStatusInstallerUntrusted = 1016;
// The full installer's own exit codes (0, 4, -1, others) are the status of a
// run that launched it.
