#include "utils/system/process_log.h"

#include "utils/log/log.h"
#include "utils/log/textconv.h"

namespace Utils::detail {

void LogProcessStartFailure(const char* sourcePath, const char* function, int line,
                            const std::wstring& program, const std::wstring& arguments) {
    const uint32_t error = LastSystemError();
    const std::wstring what =
        L"CreateProcessA failed, strExe:" + program + L",strArgv:" + arguments;
    LogW(2, kLogTag, g_wstrLogDir, sourcePath, function, line, L"ERROR:", what, L"\n",
         SystemErrorToStringW(error), L"");
}

}  // namespace Utils::detail
