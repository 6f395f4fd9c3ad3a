#include "views/startup.h"

#include "utils/system/single_instance.h"

bool EnsureSingleInstance(const std::function<void(const std::wstring&)>& tell,
                          const std::function<void(int)>& end) {
    if (Utils::AcquireSingleInstance()) {
        return true;
    }
    if (tell) {
        tell(kAlreadyRunningText);
    }
    end(-1);
    return false;
}
