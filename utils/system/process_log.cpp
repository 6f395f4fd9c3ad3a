#include "utils/system/process_log.h"

#include "utils/log/log.h"
#include "utils/log/textconv.h"

namespace Utils::detail {

void LogProcessStartFailure(const std::wstring& program, const std::wstring& arguments) {
    const uint32_t error = LastSystemError();
    const std::wstring what =
        L"CreateProcessA failed, strExe:" + program + L",strArgv:" + arguments;
    LOGW_ERROR(what, L"\n", SystemErrorToStringW(error));
}

}  // namespace Utils::detail
